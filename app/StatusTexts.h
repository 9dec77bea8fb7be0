#pragma once

#include <QString>

#include <cstdint>

namespace quillon::app {

// Everything the status line can say. Handlers report only through these names, so this
// list is complete, and the window's fit check measures every one of them in the panel.
#define QUILLON_STATUS_TEXTS(X)                                                                    \
    X(PortOpen, "COMPort open")                                                                    \
    X(PortClosed, "COMPort closed")                                                                \
    X(TimeOutError, "ERROR: TimeOut")                                                              \
    X(WriteSent, "Write_CMD")                                                                      \
    X(WritePortClosed, "ERROR: COMPORT CLOSED")                                                    \
    X(WriteBusy, "I2C BUSY")                                                                       \
    X(WrittenNoInterrupt, "Data write without Interrupt")                                          \
    X(WrittenInterrupt1, "Data write with Interrupt 1")                                            \
    X(WrittenInterrupt2, "Data write with Interrupt 2")                                            \
    X(DataReceived, "Data received")                                                               \
    X(AddressSent, "CMD sent")                                                                     \
    X(AddressPortClosed, "ERROR: ComPort is closed")                                               \
    X(AddressBusy, "Device Busy")                                                                  \
    X(AddressRead, "Slave Adress received")                                                        \
    X(AddressChanged, "Slave Adress changed")                                                      \
    X(AddressSaved, "Slave Adress saved")

enum class TStatusText {
#define QUILLON_STATUS_NAME(name, text) name,
    QUILLON_STATUS_TEXTS(QUILLON_STATUS_NAME)
#undef QUILLON_STATUS_NAME
};

// The text a report shows for one value it knows (a command status, an interrupt type).
struct StatusFor {
    uint8_t value;
    TStatusText text;
};

inline QString StatusCaption(TStatusText status) {
    switch (status) {
#define QUILLON_STATUS_CASE(name, text)                                                            \
    case TStatusText::name:                                                                        \
        return QStringLiteral(text);
        QUILLON_STATUS_TEXTS(QUILLON_STATUS_CASE)
#undef QUILLON_STATUS_CASE
    }
    return {};
}

inline constexpr TStatusText kAllStatusTexts[] = {
#define QUILLON_STATUS_ITEM(name, text) TStatusText::name,
    QUILLON_STATUS_TEXTS(QUILLON_STATUS_ITEM)
#undef QUILLON_STATUS_ITEM
};

} // namespace quillon::app
