// The window as a screen reader and a keyboard user meet it: in every page and dialog of the
// screenshot harness (PagesHarness.qml) and in the keyboard view, every control that Tab reaches
// is in the accessibility tree (walked through QAccessible from the window) with a name and a
// role, and nothing that reacts to a click is out of reach of Tab. Runs on the program's real
// back end on the simulated platform, against a running pointora-cloud.

#include "PagesBackend.h"
#include "app/AppManager.h"
#include "app/UIManager.h"
#include "common/ScreenShots.h"
#include "common/TestEnv.h"

#include <QAccessible>
#include <QApplication>
#include <QMetaMethod>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QtTest>

namespace {

// Whether a signal of an object has a receiver (an onClicked handler, for a MouseArea).
struct SignalPeek : QObject {
    static bool connected(QObject* object, const char* signature) {
        const int index = object->metaObject()->indexOfSignal(signature);
        if (index < 0)
            return false;
        return static_cast<SignalPeek*>(object)->isSignalConnected(
            object->metaObject()->method(index));
    }
};

QString describe(QQuickItem* item) {
    QStringList path;
    for (QQuickItem* up = item; up && path.size() < 4; up = up->parentItem()) {
        const QString name = up->objectName();
        path.prepend(name.isEmpty() ? QString::fromLatin1(up->metaObject()->className()) : name);
    }
    return path.join('/');
}

QQuickItem* findItem(QQuickItem* item, const QString& name) {
    if (item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

bool focusable(QQuickItem* item) {
    return item->activeFocusOnTab() && item->isEnabled() && item->isVisible();
}

// Every accessible object reachable from the window's interface.
void collectAccessible(QAccessibleInterface* iface, QSet<QObject*>* objects, int depth = 0) {
    if (!iface || !iface->isValid() || depth > 64)
        return;
    if (iface->object())
        objects->insert(iface->object());
    for (int i = 0; i < iface->childCount(); ++i)
        collectAccessible(iface->child(i), objects, depth + 1);
}

void collectItems(QQuickItem* item, QList<QQuickItem*>* items) {
    if (!item->isVisible())
        return;
    items->append(item);
    for (QQuickItem* child : item->childItems())
        collectItems(child, items);
}

// An item that Tab reaches among the three nearest ancestors of a click area or their children.
bool nearFocusable(QQuickItem* area) {
    QQuickItem* up = area->parentItem();
    for (int level = 0; up && level < 3; ++level, up = up->parentItem()) {
        if (focusable(up))
            return true;
        for (QQuickItem* child : up->childItems()) {
            if (focusable(child))
                return true;
        }
    }
    return false;
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyControlIsNamed_data();
    void everyControlIsNamed();

private:
    // What is wrong with the window as it is now; empty when nothing.
    QStringList problems() const;

    TestEnv m_env;
    PagesBackend* m_backend = nullptr;
    QQmlApplicationEngine* m_engine = nullptr;
    QQuickWindow* m_window = nullptr;
    QObject* m_harness = nullptr;
};

void TestAccessibility::initTestCase() {
    m_env.apply();
    m_backend = new PagesBackend(this);
    QVERIFY2(m_backend->startError().isEmpty(), qPrintable(m_backend->startError()));
    AppManager::registerQmlTypes();
    m_engine = new QQmlApplicationEngine(this);
    m_backend->publish(m_engine);
    m_engine->load(QUrl(QString::fromLatin1(UIManager::ROOT_DOCUMENT)));
    QVERIFY(!m_engine->rootObjects().isEmpty());
    m_window = qobject_cast<QQuickWindow*>(m_engine->rootObjects().first());
    QVERIFY(m_window);
    QQmlComponent harness(m_engine, QUrl::fromLocalFile(PAGES_HARNESS));
    m_harness = harness.create();
    QVERIFY2(m_harness, qPrintable(harness.errorString()));
    m_harness->setProperty("mWindow", QVariant::fromValue<QObject*>(m_window));
    // The welcome picture grows for a second, then the page of the devices follows.
    settle(1600);
    // An assistive technology starts listening: the controls made so far make their interfaces
    // (the offscreen platform has none that would do it). Later controls have to name
    // themselves.
    QAccessible::setActive(true);
}

void TestAccessibility::cleanupTestCase() {
    delete m_harness;
    delete m_engine;
}

void TestAccessibility::everyControlIsNamed_data() {
    QTest::addColumn<QString>("state");
    for (const QString& shot : m_harness->property("mShots").toStringList())
        QTest::newRow(qPrintable(shot)) << shot;
    // Beyond the harness: the keyboard view with its twelve keys, and the function menu.
    QTest::newRow("keyboard_view") << QStringLiteral("keyboard_view");
}

void TestAccessibility::everyControlIsNamed() {
    QFETCH(QString, state);
    QVariant wait;
    if (state == "keyboard_view") {
        QMetaObject::invokeMethod(m_harness, "prepare", Q_RETURN_ARG(QVariant, wait),
                                  Q_ARG(QVariant, QStringLiteral("main")));
        settle(wait.toInt());
        auto* keyboard = findItem(m_window->contentItem(), "deviceKeyboard");
        QVERIFY(keyboard);
        QMetaObject::invokeMethod(keyboard, "clicked");
        settle(600);
        QVERIFY(findItem(m_window->contentItem(), "key27"));
    } else {
        QMetaObject::invokeMethod(m_harness, "prepare", Q_RETURN_ARG(QVariant, wait),
                                  Q_ARG(QVariant, state));
        settle(wait.toInt());
    }
    const QStringList found = problems();
    QVERIFY2(found.isEmpty(), qPrintable("\n" + found.join('\n')));
}

QStringList TestAccessibility::problems() const {
    QSet<QObject*> accessible;
    collectAccessible(QAccessible::queryAccessibleInterface(m_window), &accessible);
    QList<QQuickItem*> items;
    collectItems(m_window->contentItem(), &items);

    QStringList found;
    int controls = 0;
    for (QQuickItem* item : items) {
        if (focusable(item)) {
            ++controls;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(item);
            if (!iface) {
                found << "no accessible interface: " + describe(item);
                continue;
            }
            if (!accessible.contains(item))
                found << "not in the accessibility tree: " + describe(item);
            // The toolkit never names a password field (the name could be its text); what it
            // offers instead is the description.
            const QAccessible::Text said =
                iface->state().passwordEdit ? QAccessible::Description : QAccessible::Name;
            if (iface->text(said).trimmed().isEmpty())
                found << "no accessible name: " + describe(item);
            const QAccessible::Role role = iface->role();
            if (role == QAccessible::NoRole || role == QAccessible::Client ||
                role == QAccessible::Pane)
                found << QString("no control role (%1): %2").arg(role).arg(describe(item));
        }
        if (QString::fromLatin1(item->metaObject()->className()).startsWith("QQuickMouseArea") &&
            item->isEnabled() && item->acceptedMouseButtons() != Qt::NoButton &&
            SignalPeek::connected(item, "clicked(QQuickMouseEvent*)") && !nearFocusable(item))
            found << "reacts to clicks but Tab does not reach it: " + describe(item);
    }
    qInfo("%d controls reached with Tab", controls);
    if (controls == 0 && m_window->property("mCurrentPage").toString() != "Welcome")
        found << "no focusable control at all";
    return found;
}

int main(int argc, char** argv) {
    // The tray icon of the UI manager needs widgets, hence a QApplication.
    QApplication app(argc, argv);
    TestAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_a11y.moc"
