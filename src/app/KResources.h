#pragma once

// Registers the resources compiled into the application library (the translation files), which
// a static library cannot register by itself.
void initPointoraResources();
