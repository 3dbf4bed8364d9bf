// Keyboard layouts for injected shortcuts, without a device node or display: the dispatch's
// layout-dependent chords go through the uinput injector (events captured instead of written to
// /dev/uinput) and, typed on an XKB state of the same layout, must give the shortcut's symbol on
// every layout; the stroke expansion's own rules; the places a session's layout is read from and
// the tracker that follows them.
#include "LayoutCases.h"
#include "common/TestEnv.h"
#include "config/KConfigCommon.h"
#include "platform/linux/KKeyboardLayoutTracker.h"
#include "platform/linux/KLinuxKeyMap.h"
#include "platform/linux/KUinputInjector.h"
#include "platform/linux/KXkbLayout.h"
#include "simulation/KDeviceSimulator.h"
#include "simulation/KInputSimulation.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <set>

namespace {

struct KeymapDeleter {
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
};
using KeymapPtr = std::unique_ptr<xkb_keymap, KeymapDeleter>;
struct StateDeleter {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};
using StatePtr = std::unique_ptr<xkb_state, StateDeleter>;

KeymapPtr compile(const char* layout, const char* variant) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    xkb_rule_names names{};
    names.rules = "evdev";
    names.layout = layout;
    names.variant = variant;
    KeymapPtr keymap(xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    xkb_context_unref(context);
    return keymap;
}

struct Written {
    unsigned code;
    int value;
};

QString describe(const std::vector<Written>& events) {
    QStringList parts;
    for (const Written& e : events)
        parts << QStringLiteral("%1%2").arg(e.code).arg(e.value ? "v" : "^");
    return parts.join(' ');
}

}  // namespace

class TestKeyboardLayout : public QObject {
    Q_OBJECT
private:
    TestEnv m_env;
    KeymapPtr m_us;

    KKeyboardLayoutTracker::Options trackerOptions(const QString& dir) {
        KKeyboardLayoutTracker::Options o;
        o.homeConfigDir = dir + "/config";
        o.defaultKeyboardPath = dir + "/keyboard";
        o.useLocaled = false;
        o.useDesktopTools = false;
        QDir().mkpath(o.homeConfigDir);
        return o;
    }

    static void write(const QString& path, const QByteArray& text) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    static KKeyStroke strokeOf(const KXkbLayout& layout, quint8 vk) {
        KKeyStroke s;
        if (!layout.resolve(vk, &s))
            return KKeyStroke{};
        return s;
    }

private slots:
    void initTestCase() {
        m_env.apply();
        QCoreApplication::setApplicationName("Pointora");
        m_us = compile("us", "");
        if (!m_us)
            QSKIP("no XKB data (xkb-data) to compile keymaps from");
    }

    // The acceptance table: every layout-dependent chord of the dispatch, on every layout, as the
    // uinput keyboard writes it, gives the wanted symbol with the chord's modifier held, and
    // leaves no key down.
    void dispatchedChordTypesWantedSymbol_data() {
        QTest::addColumn<int>("layoutIndex");
        QTest::addColumn<int>("chordIndex");
        for (int l = 0; l < int(layoutCases().size()); ++l) {
            for (int c = 0; c < int(chordCases().size()); ++c) {
                QTest::newRow(QStringLiteral("%1: %2")
                                  .arg(layoutCases()[l].name, chordCases()[c].name)
                                  .toUtf8())
                    << l << c;
            }
        }
    }
    void dispatchedChordTypesWantedSymbol() {
        QFETCH(int, layoutIndex);
        QFETCH(int, chordIndex);
        const LayoutCase& lc = layoutCases()[layoutIndex];
        const ChordCase& cc = chordCases()[chordIndex];
        KeymapPtr keymap = compile(lc.layout, lc.variant);
        QVERIFY(keymap);
        QString error;
        auto slot = std::make_shared<KXkbLayoutSlot>();
        slot->set(KXkbLayout::fromNames(lc.layout, lc.variant, QString(), QString(), lc.group,
                                        lc.name, &error));
        QVERIFY2(slot->get(), qPrintable(error));

        std::vector<Written> events;
        bool synced = true;
        auto injector = KUinputInjector::createWithWriter(
            [&](unsigned type, unsigned code, int value) {
                if (type == EV_KEY) {
                    QVERIFY2(synced, "key events without a report between them");
                    events.push_back({code, value});
                    synced = false;
                } else if (type == EV_SYN && code == SYN_REPORT) {
                    synced = true;
                }
            },
            slot);
        KInputInjector* previous = replaceInputInjector(injector.get());
        {
            KConfigCommon store(m_env.path("config/keys"));
            KDeviceSimulator simulator(&store, nullptr, nullptr);
            simulator.dispatch(cc.value, QString());
        }
        replaceInputInjector(previous);
        QVERIFY(synced);

        // Type the events on a keyboard of the same layout.
        StatePtr state(xkb_state_new(keymap.get()));
        xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, lc.group);
        std::set<unsigned> down;
        int keyPresses = 0;
        xkb_keysym_t typed = XKB_KEY_NoSymbol;
        bool modifierHeld = false;
        const unsigned chordModifier = KLinuxKeyMap::linuxKey(cc.modifier);
        for (size_t i = 0; i < events.size(); ++i) {
            const Written& e = events[i];
            const xkb_keycode_t key = e.code + 8;
            // The chord's key is the one released first; its press is the last before that.
            const bool isChordKey = e.value == 1 && i + 1 < events.size() &&
                                    events[i + 1].value == 0 && events[i + 1].code == e.code;
            if (isChordKey) {
                ++keyPresses;
                typed = shortcutSym(keymap.get(), state.get(), key, m_us.get());
                modifierHeld = down.count(chordModifier) > 0;
            }
            if (e.value)
                QVERIFY2(down.insert(e.code).second, "a key pressed twice");
            else
                QVERIFY2(down.erase(e.code) == 1, "a key released that was not down");
            xkb_state_update_key(state.get(), key, e.value ? XKB_KEY_DOWN : XKB_KEY_UP);
        }
        const QString seen = describe(events);
        QVERIFY2(keyPresses == 1, qPrintable("events: " + seen));
        QVERIFY2(modifierHeld, qPrintable("chord modifier not held: " + seen));
        QVERIFY2(std::find(cc.wanted.begin(), cc.wanted.end(), typed) != cc.wanted.end(),
                 qPrintable(QStringLiteral("typed %1 (events %2)").arg(symName(typed), seen)));
        QVERIFY2(down.empty(), qPrintable("keys left down: " + seen));
        QCOMPARE(xkb_state_serialize_mods(state.get(), XKB_STATE_MODS_DEPRESSED), 0u);
    }

    // Which key and modifiers the resolver picks where a layout offers a choice, and where it
    // must fall back to the US position.
    void resolvedStrokes_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("variant");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("vk");
        QTest::addColumn<bool>("resolved");
        QTest::addColumn<int>("key");          // evdev
        QTest::addColumn<QList<int>>("mods");  // evdev
        const QList<int> none;
        const QList<int> shift{KEY_LEFTSHIFT};
        QTest::newRow("us zoom in stays Ctrl+=") << "us"
                                                 << "" << 0 << 0xBB << true << KEY_EQUAL << none;
        QTest::newRow("de plus key") << "de"
                                     << "" << 0 << 0xBB << true << KEY_RIGHTBRACE << none;
        QTest::newRow("fr equal key, no Shift") << "fr"
                                                << "" << 0 << 0xBB << true << KEY_EQUAL << none;
        QTest::newRow("be equal key") << "be"
                                      << "" << 0 << 0xBB << true << KEY_SLASH << none;
        QTest::newRow("ch Shift+1") << "ch"
                                    << "" << 0 << 0xBB << true << KEY_1 << shift;
        QTest::newRow("jp Shift+;") << "jp"
                                    << "" << 0 << 0xBB << true << KEY_SEMICOLON << shift;
        QTest::newRow("fr minus on 6") << "fr"
                                       << "" << 0 << 0xBD << true << KEY_6 << none;
        QTest::newRow("de minus on slash") << "de"
                                           << "" << 0 << 0xBD << true << KEY_SLASH << none;
        QTest::newRow("fr A on Q") << "fr"
                                   << "" << 0 << int('A') << true << KEY_Q << none;
        QTest::newRow("de Y on Z") << "de"
                                   << "" << 0 << int('Y') << true << KEY_Z << none;
        QTest::newRow("dvorak C") << "us"
                                  << "dvorak" << 0 << int('C') << true << KEY_I << none;
        QTest::newRow("fr digit needs Shift") << "fr"
                                              << "" << 0 << int('1') << true << KEY_1 << shift;
        QTest::newRow("fr backslash needs AltGr")
            << "fr"
            << "" << 0 << 0xDC << true << KEY_8 << QList<int>{KEY_RIGHTALT};
        QTest::newRow("us,ru: Latin group of the key")
            << "us,ru"
            << "" << 1 << int('A') << true << KEY_A << none;
        QTest::newRow("ru alone: US position") << "ru"
                                               << "" << 0 << int('A') << false << 0 << none;
        QTest::newRow("not a layout key") << "fr"
                                          << "" << 0 << 0xA2 << false << 0 << none;
    }
    void resolvedStrokes() {
        QFETCH(QString, layout);
        QFETCH(QString, variant);
        QFETCH(int, group);
        QFETCH(int, vk);
        QFETCH(bool, resolved);
        QFETCH(int, key);
        QFETCH(QList<int>, mods);
        QString error;
        auto l = KXkbLayout::fromNames(layout, variant, QString(), QString(), quint32(group),
                                       layout, &error);
        QVERIFY2(l, qPrintable(error));
        KKeyStroke stroke;
        QCOMPARE(l->resolve(quint8(vk), &stroke), resolved);
        if (!resolved)
            return;
        QCOMPARE(int(stroke.key) - 8, key);
        QList<int> got;
        for (quint32 m : stroke.modifiers)
            got << int(m) - 8;
        QCOMPARE(got, mods);
    }

    // Swiss Ctrl+plus: the extra Shift wraps the key alone; a Shift the chord holds already is
    // neither pressed again nor released early; a key released after a layout change releases
    // what was pressed; without a layout the US positions apply.
    void strokeExpansion() {
        QString error;
        auto ch = KXkbLayout::fromNames("ch", "", "", "", 0, "ch", &error);
        auto us = KXkbLayout::fromNames("us", "", "", "", 0, "us", &error);
        QVERIFY(ch && us);
        const quint32 ctrl = KEY_LEFTCTRL + 8, shift = KEY_LEFTSHIFT + 8, one = KEY_1 + 8,
                      equal = KEY_EQUAL + 8;
        using E = std::vector<KKeyEvent>;
        KKeyStrokeExpander x;
        E all;
        auto add = [&all](const E& e) { all.insert(all.end(), e.begin(), e.end()); };
        add(x.expand(ch.get(), 0xA2, false, ctrl));
        add(x.expand(ch.get(), 0xBB, false, equal));
        add(x.expand(ch.get(), 0xBB, true, equal));
        add(x.expand(ch.get(), 0xA2, true, ctrl));
        QCOMPARE(all, (E{{ctrl, true},
                         {shift, true},
                         {one, true},
                         {one, false},
                         {shift, false},
                         {ctrl, false}}));

        all.clear();
        add(x.expand(ch.get(), 0xA0, false, shift));
        add(x.expand(ch.get(), 0xBB, false, equal));
        add(x.expand(ch.get(), 0xBB, true, equal));
        add(x.expand(ch.get(), 0xA0, true, shift));
        QCOMPARE(all, (E{{shift, true}, {one, true}, {one, false}, {shift, false}}));

        all.clear();
        add(x.expand(ch.get(), 0xBB, false, equal));
        add(x.expand(us.get(), 0xBB, true, equal));
        QCOMPARE(all, (E{{shift, true}, {one, true}, {one, false}, {shift, false}}));

        all.clear();
        add(x.expand(nullptr, 0xBB, false, equal));
        add(x.expand(nullptr, 0xBB, true, equal));
        QCOMPARE(all, (E{{equal, true}, {equal, false}}));
    }

    // The uinput keyboard can send every key a layout resolves to.
    void mainBlockCoversResolvedKeys() {
        const std::vector<quint16>& block = KXkbLayout::mainBlockKeys();
        for (quint16 code : {KEY_102ND, KEY_RO, KEY_YEN, KEY_GRAVE, KEY_SLASH, KEY_A, KEY_RIGHTALT})
            QVERIFY2(std::find(block.begin(), block.end(), code) != block.end(),
                     qPrintable(QString::number(code)));
    }

    void configParsers() {
        // GNOME: sources become groups, the most recently used one is in use, ibus is skipped.
        KLayoutNames g = KLayoutConfig::fromGnomeSettings(
            "org.gnome.desktop.input-sources per-window false\n"
            "org.gnome.desktop.input-sources sources [('xkb', 'us'), ('ibus', 'mozc-jp'), "
            "('xkb', 'fr+azerty')]\n"
            "org.gnome.desktop.input-sources mru-sources [('ibus', 'mozc-jp'), ('xkb', "
            "'fr+azerty'), ('xkb', 'us')]\n"
            "org.gnome.desktop.input-sources xkb-options ['compose:ralt']\n");
        QCOMPARE(g.layout, QString("us,fr"));
        QCOMPARE(g.variant, QString(",azerty"));
        QCOMPARE(g.group, 1u);
        QCOMPARE(g.options, QString("compose:ralt"));
        QVERIFY(
            KLayoutConfig::fromGnomeSettings("org.gnome.desktop.input-sources sources @a(ss) []\n")
                .isEmpty());

        const QString kxkbrc = m_env.path("kxkbrc");
        write(kxkbrc,
              "[Layout]\nDisplayNames=,\nLayoutList=de,ru\nModel=pc105\n"
              "ResetOldOptions=true\nOptions=grp:alt_shift_toggle\nUse=true\n"
              "VariantList=nodeadkeys,\n");
        KLayoutNames k = KLayoutConfig::fromKxkbrc(kxkbrc);
        QCOMPARE(k.layout, QString("de,ru"));
        QCOMPARE(k.variant, QString("nodeadkeys,"));
        QCOMPARE(k.model, QString("pc105"));
        QCOMPARE(k.options, QString("grp:alt_shift_toggle"));
        write(kxkbrc, "[Layout]\nLayoutList=de\nUse=false\n");
        QVERIFY(KLayoutConfig::fromKxkbrc(kxkbrc).isEmpty());

        KLayoutNames d = KLayoutConfig::fromDefaultKeyboard(
            "# KEYBOARD CONFIGURATION FILE\nXKBMODEL=\"pc105\"\nXKBLAYOUT=\"be\"\n"
            "XKBVARIANT=\"\"\nXKBOPTIONS=\"\"\nBACKSPACE=\"guess\"\n");
        QCOMPARE(d.layout, QString("be"));
        QCOMPARE(d.model, QString("pc105"));
        QVERIFY(d.variant.isEmpty());

        const QString evdevXml = "/usr/share/X11/xkb/rules/evdev.xml";
        if (QFile::exists(evdevXml)) {
            KLayoutNames s = KLayoutConfig::fromSwayInputs(
                R"json([{"identifier":"1:1:mouse","type":"pointer"},
                    {"identifier":"1:1:kbd","type":"keyboard",
                     "xkb_layout_names":["English (US)","German (Switzerland)"],
                     "xkb_active_layout_index":1,
                     "xkb_active_layout_name":"German (Switzerland)"}])json",
                evdevXml);
            QCOMPARE(s.layout, QString("us,ch"));
            QCOMPARE(s.group, 1u);
            QCOMPARE(s.variant, QString(","));
        }
    }

    // A console session: the system's layout file, followed when it changes; the environment
    // when there is none; "us" when nothing is configured, said in the log.
    void trackerFollowsConfiguredLayout() {
        const QString dir = m_env.path("tracker-console");
        const KKeyboardLayoutTracker::Options o = trackerOptions(dir);
        write(o.defaultKeyboardPath, "XKBLAYOUT=\"fr\"\nXKBVARIANT=\"\"\n");
        KDesktopSession console;
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QTest::ignoreMessage(
            QtInfoMsg, QRegularExpression("^\\[Info\\] keyboard layout fr \\(from .*keyboard\\)$"));
        KKeyboardLayoutTracker tracker(console, o);
        QVERIFY(tracker.slot()->get());
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'A').key) - 8, KEY_Q);

        QSignalSpy changed(&tracker, &KKeyboardLayoutTracker::layoutChanged);
        QTest::ignoreMessage(QtInfoMsg,
                             QRegularExpression("^\\[Info\\] keyboard layout de \\(from .*\\)$"));
        write(o.defaultKeyboardPath, "XKBLAYOUT=\"de\"\n");
        QVERIFY(changed.wait(5000));
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'Y').key) - 8, KEY_Z);
    }
    void trackerFallbacks() {
        const QString dir = m_env.path("tracker-fallback");
        const KKeyboardLayoutTracker::Options o = trackerOptions(dir);
        KDesktopSession console;
        qputenv("XKB_DEFAULT_LAYOUT", "us");
        qputenv("XKB_DEFAULT_VARIANT", "dvorak");
        QTest::ignoreMessage(QtInfoMsg,
                             "[Info] keyboard layout us(dvorak) (from XKB_DEFAULT_LAYOUT)");
        {
            KKeyboardLayoutTracker tracker(console, o);
            QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'C').key) - 8, KEY_I);
        }
        qunsetenv("XKB_DEFAULT_LAYOUT");
        qunsetenv("XKB_DEFAULT_VARIANT");
        QTest::ignoreMessage(
            QtInfoMsg,
            "[Info] keyboard layout us (no layout configured in this session; assuming us)");
        KKeyboardLayoutTracker tracker(console, o);
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'A').key) - 8, KEY_A);
    }
    // KDE on Wayland: kxkbrc wins over the system's layout.
    void trackerReadsKde() {
        const QString dir = m_env.path("tracker-kde");
        const KKeyboardLayoutTracker::Options o = trackerOptions(dir);
        write(o.defaultKeyboardPath, "XKBLAYOUT=\"fr\"\n");
        write(o.homeConfigDir + "/kxkbrc", "[Layout]\nLayoutList=ch\nUse=true\n");
        KDesktopSession kde;
        kde.type = KDesktopSession::Type::Wayland;
        kde.desktop = KDesktopSession::Desktop::Kde;
        QTest::ignoreMessage(QtInfoMsg, "[Info] keyboard layout ch (from KDE's kxkbrc)");
        KKeyboardLayoutTracker tracker(kde, o);
        const KKeyStroke plus = strokeOf(*tracker.slot()->get(), 0xBB);
        QCOMPARE(int(plus.key) - 8, KEY_1);
    }
    // GNOME on Wayland: the input sources as gsettings prints them, read without blocking (the
    // system's layout meanwhile), logged once when known, read again when dconf's database
    // changes.
    void trackerReadsGnome() {
        const QString dir = m_env.path("tracker-gnome");
        KKeyboardLayoutTracker::Options o = trackerOptions(dir);
        o.useDesktopTools = true;
        QDir().mkpath(dir + "/bin");
        QDir().mkpath(o.homeConfigDir + "/dconf");
        write(dir + "/bin/gsettings", "#!/bin/sh\ncat \"$(dirname \"$0\")/listing\"\n");
        QFile::setPermissions(dir + "/bin/gsettings", QFile::ReadOwner | QFile::ExeOwner);
        write(dir + "/bin/listing",
              "org.gnome.desktop.input-sources sources [('xkb', 'us'), ('xkb', 'fr')]\n"
              "org.gnome.desktop.input-sources mru-sources [('xkb', 'fr'), ('xkb', 'us')]\n");
        write(o.homeConfigDir + "/dconf/user", "v1");
        write(o.defaultKeyboardPath, "XKBLAYOUT=\"de\"\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", (dir + "/bin:").toUtf8() + path);
        KDesktopSession gnome;
        gnome.type = KDesktopSession::Type::Wayland;
        gnome.desktop = KDesktopSession::Desktop::Gnome;
        QTest::ignoreMessage(
            QtInfoMsg, "[Info] keyboard layout fr, group 2 of us,fr (from GNOME input sources)");
        KKeyboardLayoutTracker tracker(gnome, o);
        // Until gsettings answers: the system's layout.
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'Y').key) - 8, KEY_Z);
        QSignalSpy changed(&tracker, &KKeyboardLayoutTracker::layoutChanged);
        QVERIFY(changed.wait(5000));
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'A').key) - 8, KEY_Q);
        QCOMPARE(tracker.source(), QStringLiteral("GNOME input sources"));

        QTest::ignoreMessage(QtInfoMsg, "[Info] keyboard layout ch (from GNOME input sources)");
        write(dir + "/bin/listing", "org.gnome.desktop.input-sources sources [('xkb', 'ch')]\n");
        write(o.homeConfigDir + "/dconf/user", "v2");
        QVERIFY(changed.wait(5000));
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 0xBB).key) - 8, KEY_1);
        qputenv("PATH", path);
    }
    // A layout that does not compile falls through to the next source, with a warning.
    void trackerSkipsBrokenLayout() {
        const QString dir = m_env.path("tracker-broken");
        const KKeyboardLayoutTracker::Options o = trackerOptions(dir);
        write(o.defaultKeyboardPath, "XKBLAYOUT=\"no-such-layout\"\n");
        qputenv("XKB_DEFAULT_LAYOUT", "be");
        KDesktopSession console;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no-such-layout"));
        QTest::ignoreMessage(QtInfoMsg, "[Info] keyboard layout be (from XKB_DEFAULT_LAYOUT)");
        KKeyboardLayoutTracker tracker(console, o);
        qunsetenv("XKB_DEFAULT_LAYOUT");
        QCOMPARE(int(strokeOf(*tracker.slot()->get(), 'A').key) - 8, KEY_Q);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardLayout)
#include "tst_keyboardlayout.moc"
