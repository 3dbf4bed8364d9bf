#pragma once

// Application identity, font and the list of supported receivers: one definition for the whole
// program. Every value is a compile-time constant, so it exists before any other code runs.

#include <QtGlobal>

#include <array>
#include <cstdint>

#define APP_NAME "Pointora"
#define APP_VERSION "1.0.2"
// Key of the single-instance guard and the message a second copy sends to the running one.
#define APP_INSTANCE_ID APP_NAME APP_VERSION
#define APP_FONT "://PingFang Medium.ttf"
#define ORGANIZATION_NAME "Tolva"
#define ORGANIZATION_DOMAIN "Tolva"

constexpr quint16 RECEIVER_VENDOR_ID = 0x24AE;
constexpr std::array<quint16, 6> RECEIVER_PRODUCT_IDS = {0x1100, 0x1812, 0x1813,
                                                         0x2010, 0x2020, 0x2013};
