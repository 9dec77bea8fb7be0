/* The library's headers as a C program includes them: they must compile as C, and the
 * numbers that callers compile into their code must keep their values. */
#include "vantrel32/Vantrel32.h"
#include "vantrel32/VantrelExtras.h"

_Static_assert(VANTREL_STATUS_SENT == 0 && VANTREL_STATUS_PORT_CLOSED == 1 &&
                   VANTREL_STATUS_BUSY == 2 && VANTREL_STATUS_INVALID == 3,
               "command statuses");
_Static_assert(VANTREL_NOTIFY_TIMEOUT == 2 && VANTREL_NOTIFY_OPENED == 8 &&
                   VANTREL_NOTIFY_CLOSED == 9,
               "link notifications");
_Static_assert(VANTREL_NOTIFY_ADDRESS_READ == 0x61 && VANTREL_NOTIFY_ADDRESS_CHANGED == 0x63 &&
                   VANTREL_NOTIFY_MASTER_DATA == 0x69 && VANTREL_NOTIFY_ADDRESS_SAVED == 0x73 &&
                   VANTREL_NOTIFY_VERSION == 0x76,
               "command notifications");
_Static_assert(VANTREL_NOTIFY_WRITTEN + VANTREL_INT_NONE == 0x77 &&
                   VANTREL_NOTIFY_WRITTEN + VANTREL_INT_LINE1 == VANTREL_NOTIFY_WRITTEN_INT1 &&
                   VANTREL_NOTIFY_WRITTEN + VANTREL_INT_LINE2 == VANTREL_NOTIFY_WRITTEN_INT2 &&
                   VANTREL_NOTIFY_WRITTEN_INT2 == 0x79,
               "write notifications count up with the interrupt type");
_Static_assert(VANTREL_NOTIFY_PACING == 0x70 && VANTREL_NOTIFY_COUNTERS == 0x71,
               "the extras' notifications");
_Static_assert(VANTREL_PACING_RELEASE == 0 && VANTREL_PACING_HOLD == 1 &&
                   VANTREL_PACING_ASK == 0xFF && VANTREL_COUNTER_COUNT == 5,
               "pacing values and counters");
