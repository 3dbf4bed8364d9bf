#include "device/MouseCommunity.h"

#include "device/KUSBDevice.h"

#include <QThread>

#include <cstring>

namespace {

constexpr int kCommandTries = 3;
constexpr int kCommandPauseMs = 50;
constexpr int kPollTries = 50;
constexpr int kPollPauseMs = 300;
constexpr int kPollFailureLimit = 3;

MouseCommunity::Sleeper& sleeper() {
    static MouseCommunity::Sleeper function;
    return function;
}

}  // namespace

void MouseCommunity::setSleeper(Sleeper function) {
    sleeper() = std::move(function);
}

void MouseCommunity::pause(int milliseconds) {
    if (sleeper())
        sleeper()(milliseconds);
    else
        QThread::msleep(ulong(milliseconds));
}

MouseCommunity::MouseCommunity(QObject* parent) : QObject(parent) {
    std::memset(commandBuffer, 0, sizeof commandBuffer);
    std::memset(responseBuffer, 0, sizeof responseBuffer);
}

MouseCommunity::~MouseCommunity() {
    delete receiverDevice;
}

void MouseCommunity::prepareCommand(std::initializer_list<quint8> bytes) {
    std::memset(commandBuffer, 0, sizeof commandBuffer);
    std::memset(responseBuffer, 0, sizeof responseBuffer);
    commandLength = 0;
    for (quint8 byte : bytes)
        commandBuffer[commandLength++] = byte;
}

bool MouseCommunityBT::exchange(int pauseBeforeWrite) {
    if (!receiverDevice)
        return false;
    pause(pauseBeforeWrite);
    if (!receiverDevice->writeOutputReport(PAIR_REPORT_ID, commandBuffer, commandLength))
        return false;
    pause(kCommandPauseMs);
    return receiverDevice->readInputReport(PAIR_REPORT_ID, responseBuffer, BUFFER_SIZE);
}

const quint8* MouseCommunityBT::reply() const {
    return responseBuffer[0] == PAIR_REPORT_ID ? responseBuffer + 1 : responseBuffer;
}

bool MouseCommunityBT::tryCommand(std::initializer_list<quint8> bytes,
                                  const std::function<bool(const quint8*)>& accept) {
    for (int attempt = 0; attempt < kCommandTries; ++attempt) {
        prepareCommand(bytes);
        if (exchange(kCommandPauseMs) && (!accept || accept(reply())))
            return true;
    }
    return false;
}

bool MouseCommunityBT::beginPairing() {
    const quint8 code = pairType == 1 ? 1 : 2;
    return tryCommand({0xA0, 0x81, code, 0x00}, nullptr);
}

bool MouseCommunityBT::pollPairResult() {
    int failures = 0;
    for (int attempt = 0; attempt < kPollTries && failures < kPollFailureLimit; ++attempt) {
        prepareCommand({0xA1, 0x01});
        if (!exchange(kPollPauseMs)) {
            ++failures;
            continue;
        }
        const quint8* answer = reply();
        if (answer[0] == 0x01 && (answer[1] == 0x01 || answer[1] == 0x02))
            return true;
    }
    return false;
}

bool MouseCommunityBT::endPairing() {
    return tryCommand({0xA1, 0x84}, nullptr);
}

quint8 MouseCommunityBT::readStatus() {
    if (tryCommand({0xA7, 0x00, 0x00, 0x00}, [](const quint8* reply) { return reply[0] == 0x01; }))
        return reply()[1];
    return 0;
}

bool MouseCommunityBT::entryPair() {
    if (!initialized) {
        emit sigPairResult(false, tr("Failed to init"));
        return false;
    }
    if (!beginPairing()) {
        // The receiver did not take the command: the attempt ends here, and says so, so that
        // the interface stops waiting and a new attempt can start. Missing access is not
        // mended by replugging: say what is missing and how to grant it.
        if (receiverDevice && receiverDevice->isAccessDenied())
            emit sigPairResult(
                false, tr("No permission to use the receiver. Install the udev rule "
                          "70-pointora.rules (the package does it; from the sources: sudo cp "
                          "packaging/udev/70-pointora.rules /etc/udev/rules.d/ && sudo udevadm "
                          "control --reload-rules && sudo udevadm trigger), then plug the "
                          "receiver in again"));
        else
            emit sigPairResult(false,
                               tr("Failed to start matching, please reconnect the receiver"));
        return false;
    }
    const bool ok = pollPairResult();
    endPairing();
    if (ok) {
        emit sigPairResult(true, tr("Matched successfully"));
        return true;
    }
    emit sigPairResult(false, tr("Failed to match"));
    return false;
}
