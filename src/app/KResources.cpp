#include "app/KResources.h"

#include <QtGlobal>

static void initTranslationsResource() {
    Q_INIT_RESOURCE(translations);
}

void initPointoraResources() {
    static const bool done = (initTranslationsResource(), true);
    Q_UNUSED(done);
}
