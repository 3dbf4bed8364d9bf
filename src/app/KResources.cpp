#include "app/KResources.h"

#include <QtGlobal>

static void initResources() {
    Q_INIT_RESOURCE(translations);
    Q_INIT_RESOURCE(qml);
    Q_INIT_RESOURCE(images);
    Q_INIT_RESOURCE(fonts);
}

void initPointoraResources() {
    static const bool done = (initResources(), true);
    Q_UNUSED(done);
}
