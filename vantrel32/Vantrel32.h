/* Quillon adapter library: the call contract of the serial I2C slave adapter.
 *
 * One adapter link per process, no handles. Every call returns at once; the outcome of
 * Connect and of the four commands arrives later as a message posted to the application
 * window, numbered as VantrelCreate returned, word parameter = code, long parameter =
 * slave address for code 'a'.
 *
 * Command status (VANTREL_STATUS_*): 0 = sent to the adapter, 1 = serial port not open (also
 * while an opening is under way), 2 = adapter busy (an earlier command still waits for its
 * reply), 3 = WriteI2CRegs arguments that make no command (null data, lastIndex outside
 * 0..15, intType above 2): nothing is sent and no notification follows. Notification codes
 * are VANTREL_NOTIFY_*.
 *
 * COM port n is the device named by the environment variable VANTREL_COM<n> when set, else
 * the serial device numbered n (each device gets the lowest free number the first time it is
 * seen and keeps it, in the user's configuration), else /dev/ttyS<n-1>. VANTREL_TRACE=1
 * writes every frame to standard error.
 *
 * GetI2CData returns the record of the oldest 'i' notification not yet fetched: call it once
 * in the handler of each 'i'. GetVersion's text stays valid until the next GetVersion.
 * Details: docs/protocol.md.
 */
#ifndef VANTREL32_H
#define VANTREL32_H

#include <stdint.h>

#if defined(__GNUC__)
#define VANTREL_API __attribute__((visibility("default")))
#else
#define VANTREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum { VANTREL_I2C_DATA_SIZE = 129 };

/* Command status: the result of WriteI2CRegs, ReadSlvAdr, ChangeSlvAdr and SaveSlvAdr. */
enum VantrelCommandStatus {
    VANTREL_STATUS_SENT = 0,
    VANTREL_STATUS_PORT_CLOSED = 1,
    VANTREL_STATUS_BUSY = 2,
    VANTREL_STATUS_INVALID = 3
};

/* Notification codes, the word parameter of the notification message. */
enum VantrelNotification {
    VANTREL_NOTIFY_TIMEOUT = 2,
    VANTREL_NOTIFY_OPENED = 8,
    VANTREL_NOTIFY_CLOSED = 9,
    VANTREL_NOTIFY_ADDRESS_READ = 'a', /* long parameter: the slave address in its low byte */
    VANTREL_NOTIFY_ADDRESS_CHANGED = 'c',
    VANTREL_NOTIFY_MASTER_DATA = 'i', /* fetch it with GetI2CData */
    VANTREL_NOTIFY_ADDRESS_SAVED = 's',
    VANTREL_NOTIFY_VERSION = 'v', /* fetch it with GetVersion */
    /* Port data written: the code is VANTREL_NOTIFY_WRITTEN plus the interrupt type. */
    VANTREL_NOTIFY_WRITTEN = 'w',
    VANTREL_NOTIFY_WRITTEN_INT1 = 'x',
    VANTREL_NOTIFY_WRITTEN_INT2 = 'y'
};

/* Interrupt type of WriteI2CRegs: which interrupt line the adapter pulses after the write. */
enum VantrelInterrupt { VANTREL_INT_NONE = 0, VANTREL_INT_LINE1 = 1, VANTREL_INT_LINE2 = 2 };

VANTREL_API uint32_t VantrelCreate(void);
VANTREL_API void VantrelDestroy(void);
VANTREL_API void SetComPort(int32_t comPort);
VANTREL_API uint16_t GetComPort(void);
VANTREL_API void SetTimeOut(uint16_t milliseconds);
VANTREL_API uint16_t GetTimeOut(void);
VANTREL_API void Connect(uint8_t open);
VANTREL_API uint8_t IsConnected(void);
VANTREL_API uint8_t WriteI2CRegs(const uint8_t* data, int32_t lastIndex, uint8_t intType);
VANTREL_API void GetI2CData(uint8_t* data);
VANTREL_API uint8_t ReadSlvAdr(void);
VANTREL_API uint8_t ChangeSlvAdr(uint8_t slaveAddress);
VANTREL_API uint8_t SaveSlvAdr(void);
VANTREL_API const char* GetVersion(void);

#ifdef __cplusplus
}
#endif

#endif
