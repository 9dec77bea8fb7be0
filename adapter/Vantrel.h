#pragma once

#include "platform/core/ApplicationWindow.h"
// The command statuses and interrupt types the operations take and return.
#include "vantrel32/Vantrel32.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <span>

// The block the adapter library fills for a master write; byte 0 is the byte the bus
// master wrote last.
using TI2CData = std::array<uint8_t, VANTREL_I2C_DATA_SIZE>;

using TOnOpen = std::function<void(QObject* Sender, uint8_t Comport)>;
using TOnClose = std::function<void(QObject* Sender)>;
using TOnTimeOut = std::function<void(QObject* Sender)>;
using TOnI2CDataAvail = std::function<void(QObject* Sender, TI2CData I2CData)>;
using TOnWriteI2CRegs = std::function<void(QObject* Sender, uint8_t IntType)>;
using TOnUnknownCMD = std::function<void(QObject* Sender)>;
using TOnSlvAdrOP = std::function<void(QObject* Sender, uint8_t OP)>;
using TOnSlvAdrRead = std::function<void(QObject* Sender, uint8_t pSlvAdr)>;
using TOnGetVersion = std::function<void(QObject* Sender, const char* DVersion)>;

// The panel's one way to the adapter. Holds none of the adapter's state: the port number
// and time-out live in the library, and every read goes there. Turns the library's
// notification message into one event each; an empty event slot means "not raised".
class TVantrel final : public QObject, private quillon::platform::IMessageHook {
    Q_OBJECT
    Q_PROPERTY(int Comport READ Comport WRITE setComport)
    Q_PROPERTY(int TimeOut READ TimeOut WRITE setTimeOut)

public:
    // The address operation that OnSlvAdrOP confirms.
    enum TSlvAdrOP : uint8_t { saChanged = 1, saSaved = 2 };

    // A component being edited in a form designer (designing) creates its library
    // instance but never hooks the application window, so it raises no events.
    explicit TVantrel(QObject* owner, bool designing = false);
    ~TVantrel() override;

    int32_t Comport() const;
    void setComport(int32_t value);
    uint16_t TimeOut() const;
    void setTimeOut(int value);

    void Connect(bool open);
    bool IsConnected();
    uint8_t WriteI2CRegs(std::span<const uint8_t> data, uint8_t IntType);
    uint8_t ReadSlvAdr();
    uint8_t ChangeSlvAdr(uint8_t slaveAddress);
    uint8_t SaveSlvAdr();

    bool IsHooked() const { return hooked_; }

    // Unit-wide: the message number of the newest construction, and the record the last
    // master write was copied into.
    static uint32_t MessageNumber() { return messageNumber_; }
    static const TI2CData& ReceivedData() { return receivedData_; }

    TOnOpen OnOpen;
    TOnClose OnClose;
    TOnTimeOut OnTimeOut;
    TOnI2CDataAvail OnI2CDataAvail;
    TOnWriteI2CRegs OnWriteI2CRegs;
    TOnUnknownCMD OnUnknownCMD;
    TOnSlvAdrOP OnSlvAdrOP;
    TOnSlvAdrRead OnSlvAdrRead;
    TOnGetVersion OnGetVersion;

private:
    bool HookMessage(quillon::platform::TMessage& msg) override;
    void DispatchCMD(uint32_t code, intptr_t arg);

    bool hooked_ = false;

    static inline uint32_t messageNumber_ = 0;
    static inline TI2CData receivedData_{};
};
