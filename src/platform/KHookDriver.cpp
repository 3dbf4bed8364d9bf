#include "platform/KHookDriver.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

bool KHookSemaphore::release(int n) {
    QMutexLocker lock(&m_mutex);
    if (n <= 0 || m_count > m_maximum - n)
        return false;
    m_count += n;
    m_nonZero.wakeAll();
    return true;
}

void KHookSemaphore::acquire() {
    QMutexLocker lock(&m_mutex);
    while (m_count == 0)
        m_nonZero.wait(&m_mutex);
    --m_count;
}

bool KHookSemaphore::tryAcquire(int timeoutMs) {
    QMutexLocker lock(&m_mutex);
    QDeadlineTimer deadline(timeoutMs);
    while (m_count == 0) {
        if (!m_nonZero.wait(&m_mutex, deadline))
            return false;
    }
    --m_count;
    return true;
}

int KHookSemaphore::available() const {
    QMutexLocker lock(&m_mutex);
    return m_count;
}
