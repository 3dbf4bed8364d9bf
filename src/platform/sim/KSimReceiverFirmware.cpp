#include "platform/sim/KSimReceiverFirmware.h"

#include "platform/sim/KSimController.h"
#include "platform/sim/KSimDevices.h"

#include <cstring>

bool KSimReceiverFirmware::receiveOutputReport(const quint8* report, int length) {
    if (m_ioFailing || length < 3 || report[0] != REPORT_ID)
        return false;
    const quint8 command = report[1];
    const quint8 argument = report[2];
    if (command == 0xA0 && argument == 0x81 && length >= 4) {
        m_pairing = true;
        m_pairType = report[3] == 2 ? 2 : 1;
        m_polls = 0;
        m_reply = QByteArray::fromHex("0100");
    } else if (command == 0xA1 && argument == 0x01) {
        if (!m_pairing) {
            m_reply = QByteArray::fromHex("0000");
        } else {
            ++m_polls;
            const bool paired = m_succeedAfter != NEVER && m_polls >= m_succeedAfter;
            if (paired) {
                m_paired |= m_pairType == 2 ? 0x02 : 0x01;
                m_pairing = false;
            }
            m_reply = QByteArray(1, char(0x01)) +
                      QByteArray(1, char(paired ? (m_pairType == 2 ? 0x02 : 0x01) : 0x03));
        }
    } else if (command == 0xA1 && argument == 0x84) {
        m_pairing = false;
        m_reply = QByteArray::fromHex("0100");
    } else if (command == 0xA7) {
        m_reply = QByteArray(1, char(0x01)) + QByteArray(1, char(m_paired));
    } else {
        m_reply = QByteArray::fromHex("0000");
    }
    return true;
}

bool KSimReceiverFirmware::sendInputReport(quint8* report, int length) {
    if (m_ioFailing || length < 3 || report[0] != REPORT_ID)
        return false;
    std::memset(report, 0, size_t(length));
    // A receiver that has not been asked anything yet answers with its report ID and zeros.
    if (m_reply.isEmpty()) {
        report[0] = REPORT_ID;
        return true;
    }
    if (m_idFirst) {
        report[0] = REPORT_ID;
        std::memcpy(report + 1, m_reply.constData(), size_t(qMin(length - 1, m_reply.size())));
    } else {
        std::memcpy(report, m_reply.constData(), size_t(qMin(length, m_reply.size())));
    }
    return true;
}

void KSimReceiverFirmware::serve(KSimDevices* devices) {
    devices->setPairingResponder(
        [this](const uchar* report, int length) { return receiveOutputReport(report, length); },
        [this](uchar* report, int length) { return sendInputReport(report, length); });
    devices->setPairingAccessCheck([this] { return isAccessDenied(); });
}

void KSimReceiverFirmware::registerCommands(KSimController* controller) {
    controller->registerCommand("receiver", [this](const QStringList& args) {
        using Reply = KSimController::Reply;
        const QString usage =
            "usage: receiver pairing succeed-after N | receiver pairing never | "
            "receiver io-fail | receiver io-ok | receiver access denied|granted | "
            "receiver reply id-first|status-first";
        if (args == QStringList{"io-fail"}) {
            m_ioFailing = true;
            return Reply::success();
        }
        if (args == QStringList{"io-ok"}) {
            m_ioFailing = false;
            return Reply::success();
        }
        if (args.size() == 2 && args.at(0) == "access" &&
            (args.at(1) == "denied" || args.at(1) == "granted")) {
            m_accessDenied = args.at(1) == "denied";
            return Reply::success();
        }
        if (args.size() == 2 && args.at(0) == "reply" &&
            (args.at(1) == "id-first" || args.at(1) == "status-first")) {
            m_idFirst = args.at(1) == "id-first";
            return Reply::success();
        }
        if (args == QStringList{"pairing", "never"}) {
            m_succeedAfter = NEVER;
            return Reply::success();
        }
        if (args.size() == 3 && args.at(0) == "pairing" && args.at(1) == "succeed-after") {
            qint64 polls = 0;
            if (!KSimController::parseNumber(args.at(2), &polls) || polls < 1 || polls > 1000)
                return Reply::failure("succeed-after takes a number of polls from 1 to 1000");
            m_succeedAfter = int(polls);
            return Reply::success();
        }
        return Reply::failure(usage);
    });
}
