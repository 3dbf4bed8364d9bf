#include "app/KMsgManager.h"

KMsgManager* KMsgManager::instance() {
    static KMsgManager* hub = new KMsgManager;
    return hub;
}
