#pragma once

// Registers the resources compiled into the application library (translations and the compiled QML
// documents), which a static library cannot register by itself.
void initPointoraResources();
