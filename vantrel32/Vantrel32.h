/* Quillon adapter library: the call contract of the serial I2C slave adapter.
 *
 * One adapter link per process, no handles. Every call returns at once; the outcome of
 * Connect and of the four commands arrives later as a message posted to the application
 * window, numbered as VantrelCreate returned, word parameter = code, long parameter =
 * slave address for code 'a'.
 *
 * Command status: 0 = sent to the adapter, 1 = serial port not open (also while an opening
 * is under way), 2 = adapter busy (an earlier command still waits for its reply),
 * 3 = WriteI2CRegs arguments that make no command (null data, lastIndex outside 0..15,
 * intType above 2): nothing is sent and no notification follows.
 *
 * COM port n is the device named by the environment variable VANTREL_COM<n> when set, else
 * /dev/ttyS<n-1>. VANTREL_TRACE=1 writes every frame to standard error.
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
