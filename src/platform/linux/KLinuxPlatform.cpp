#include "platform/linux/KLinuxPlatform.h"

KLinuxPlatform::KLinuxPlatform(QObject* parent) : KPlatform(parent) {}
