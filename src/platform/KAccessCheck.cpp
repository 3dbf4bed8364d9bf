#include "platform/KAccessCheck.h"

namespace {

struct NameRow {
    KAccessCheck::What what;
    const char* name;
};

constexpr NameRow kNames[] = {
    {KAccessCheck::What::Uinput, "uinput"},      {KAccessCheck::What::Receiver, "receiver"},
    {KAccessCheck::What::BleMouse, "ble-mouse"}, {KAccessCheck::What::BleKeyboard, "ble-keyboard"},
    {KAccessCheck::What::Rule, "rule"},
};

}  // namespace

QString KAccessCheck::nameOf(What what) {
    for (const NameRow& row : kNames)
        if (row.what == what)
            return QLatin1String(row.name);
    return QString();
}

bool KAccessCheck::fromName(const QString& name, What* what) {
    for (const NameRow& row : kNames) {
        if (name == QLatin1String(row.name)) {
            *what = row.what;
            return true;
        }
    }
    return false;
}

bool KAccessCheck::Result::has(What what) const {
    return find(what) != nullptr;
}

const KAccessCheck::Item* KAccessCheck::Result::find(What what) const {
    for (const Item& item : items)
        if (item.what == what)
            return &item;
    return nullptr;
}

QStringList KAccessCheck::Result::names() const {
    QStringList result;
    for (const Item& item : items)
        result << nameOf(item.what);
    return result;
}

QString KAccessCheck::Result::summary() const {
    if (items.isEmpty())
        return QStringLiteral("nothing missing");
    QStringList parts;
    for (const Item& item : items)
        parts << QStringLiteral("%1 (%2: %3)")
                     .arg(nameOf(item.what), item.nodes.join(QLatin1Char(' ')), item.reason);
    return QStringLiteral("missing ") + parts.join(QStringLiteral("; "));
}
