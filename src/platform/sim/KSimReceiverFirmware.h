#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <atomic>

class KSimController;
class KSimDevices;

// The pairing firmware of the simulated receiver: it answers the commands of the vendor-defined
// report 0xBA as a receiver does. Every reply starts with the status byte 0x01 ("command taken")
// followed by the command's result:
//   A0 81 t 00  begin pairing (t = 1 mouse, 2 keyboard)  -> 01 00
//   A1 01       poll                                     -> 01 03 while searching,
//                                                           01 01 (mouse) / 01 02 (keyboard) paired
//   A1 84       end pairing                              -> 01 00
//   A7 00 00 00 status                                   -> 01 s, s = bit 0 mouse, bit 1 keyboard
// Any other command is answered 00 00 (refused). When I/O failure is switched on, every report
// transfer fails. The reply is written over the report ID, or, with the report ID first, after
// it (BA 01 xx ...), as HID devices answer GET_REPORT. The caller serialises report transfers.
class KSimReceiverFirmware {
public:
    static constexpr quint8 REPORT_ID = 0xBA;
    static constexpr int NEVER = -1;

    // The reply to an output report: the full report (ID in byte 0) and the receiver's answer.
    bool receiveOutputReport(const quint8* report, int length);
    // Fills the input report (ID 0xBA in byte 0 on entry) with the reply to the last command.
    bool sendInputReport(quint8* report, int length);

    // After how many polls in pairing mode a device pairs (NEVER: none does). Default 3.
    void setSucceedAfter(int polls) { m_succeedAfter = polls; }
    void setIoFailing(bool failing) { m_ioFailing = failing; }
    bool isIoFailing() const { return m_ioFailing; }
    // The pairing interface's node refuses to be opened, as without the udev rule.
    void setAccessDenied(bool denied) { m_accessDenied = denied; }
    bool isAccessDenied() const { return m_accessDenied; }
    void setReportIdFirst(bool idFirst) { m_idFirst = idFirst; }
    bool inPairingMode() const { return m_pairing; }
    quint8 pairedDevices() const { return m_paired; }

    // Answers the reports of the devices' pairing interface and decides its access.
    void serve(KSimDevices* devices);
    // Adds the "receiver pairing succeed-after N|never", "receiver io-fail|io-ok",
    // "receiver access denied|granted" and "receiver reply id-first|status-first" commands.
    void registerCommands(KSimController* controller);

private:
    QByteArray m_reply;
    bool m_pairing = false;
    int m_pairType = 1;
    int m_polls = 0;
    // Set from the command socket while the pairing thread exchanges reports.
    std::atomic<int> m_succeedAfter{3};
    std::atomic<bool> m_ioFailing{false};
    std::atomic<bool> m_accessDenied{false};
    std::atomic<bool> m_idFirst{false};
    quint8 m_paired = 0;
};
