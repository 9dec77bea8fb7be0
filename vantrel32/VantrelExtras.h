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

/* The address the last address-changed or address-saved reply of this link carried: the
 * address the adapter uses (or saved) now, which is not the one asked for when the adapter
 * refused it. 0 before any. Read it in the handler of that notification. */
VANTREL_API uint8_t VantrelGetAddressReply(void);

/* Why the last opening could not open its device, as the system said, with advice in
 * brackets where some fits ("Permission error while locking the device (the device is in
 * use by another program)"); empty when the device opened, even if the adapter then did not
 * answer. Copies at most size-1 bytes and a terminating NUL into text (when size > 0) and
 * returns the full length, so a caller can tell it was cut short. */
VANTREL_API uint32_t VantrelGetOpenError(char* text, uint32_t size);

/* The device the last opening of this link went to, as the library mapped the COM number
 * ("/dev/ttyS0"); empty before the first opening. Copies and returns as VantrelGetOpenError. */
VANTREL_API uint32_t VantrelGetOpenPath(char* text, uint32_t size);
/* The count of master-data records this library dropped since it was loaded because the
 * program had not fetched them with GetI2CData (4096 unfetched records are kept; beyond
 * them a record is dropped without a notification): a loss on the host, unlike the
 * adapter's not-forwarded count. As VantrelGetNotForwarded, it is the count as it stood
 * when the record GetI2CData last returned came, so a grown count lies just before that
 * record. Once a GetI2CData found no record left, or the port closed, it is the count as
 * it stands, which tells the drops after the last record. */
VANTREL_API uint32_t VantrelGetRecordsDropped(void);

#ifdef __cplusplus
}
#endif

#endif
