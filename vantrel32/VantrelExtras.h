/* Quillon adapter library: calls beyond the contract of Vantrel32.h, for the tools.
 *
 * The contract's 14 exports keep their meaning; a program that uses only Vantrel32.h never
 * calls these and so never sees their notification codes. Each command below follows the
 * contract's rules: one command at a time, the same command statuses (VANTREL_STATUS_*),
 * and exactly one outcome posted for a command that returned VANTREL_STATUS_SENT, its reply
 * or VANTREL_NOTIFY_TIMEOUT. Details: docs/protocol.md.
 */
#ifndef VANTREL_EXTRAS_H
#define VANTREL_EXTRAS_H

#include "Vantrel32.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Notification codes posted only in answer to the calls below. */
enum VantrelExtraNotification {
    VANTREL_NOTIFY_PACING = 'p',  /* long parameter: the pacing now in effect */
    VANTREL_NOTIFY_COUNTERS = 'q' /* fetch them with VantrelGetCounters */
};

/* What the adapter does when the serial line is behind the bus master. */
enum VantrelPacingSetting {
    VANTREL_PACING_RELEASE = 0, /* full bus speed; writes the line cannot carry are counted */
    VANTREL_PACING_HOLD = 1,    /* the bus clock is held until the line has room */
    VANTREL_PACING_ASK = 0xFF   /* change nothing, only ask */
};

/* The adapter's bus counters, in the order VantrelGetCounters fills them. */
enum VantrelCounter {
    VANTREL_COUNTER_MASTER_WRITES = 0,
    VANTREL_COUNTER_MASTER_READS = 1,
    VANTREL_COUNTER_ADDRESS_ONLY = 2,
    VANTREL_COUNTER_NOT_FORWARDED = 3,
    VANTREL_COUNTER_LONGEST_HOLD_US = 4,
    VANTREL_COUNTER_COUNT = 5
};

/* Sets the pacing (VANTREL_PACING_RELEASE or _HOLD) or only asks (VANTREL_PACING_ASK); the
 * adapter stores it. Any other value is VANTREL_STATUS_INVALID. VANTREL_NOTIFY_PACING
 * follows with the pacing in effect. */
VANTREL_API uint8_t VantrelSetPacing(uint8_t pacing);

/* Asks for the bus counters; VANTREL_NOTIFY_COUNTERS follows. */
VANTREL_API uint8_t VantrelAskCounters(void);

/* Copies the counters of the last VANTREL_NOTIFY_COUNTERS of this link into
 * counters[0 .. VANTREL_COUNTER_COUNT-1]; zeros before the first. */
VANTREL_API void VantrelGetCounters(uint32_t* counters);

/* The count of master writes the adapter could not forward, as the adapter had reported it
 * when the master data last fetched with GetI2CData arrived; 0 before any on this link.
 * The adapter reports a grown count before the master data that follows the gap, so the
 * record that shows a new count is the first write after it. No notification tells that
 * the count changed: look after each GetI2CData. */
VANTREL_API uint32_t VantrelGetNotForwarded(void);

/* The count of master-data records this library dropped since it was loaded because the
 * program had not fetched them with GetI2CData (4096 unfetched records are kept; beyond
 * them a record is dropped without a notification). Unlike the adapter's not-forwarded
 * count this is a loss on the host: a program that reports every master write compares it
 * before each write it reports. */
VANTREL_API uint32_t VantrelGetRecordsDropped(void);

#ifdef __cplusplus
}
#endif

#endif
