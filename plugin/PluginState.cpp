#include "plugin/PluginState.h"

PluginState pluginState = {};
