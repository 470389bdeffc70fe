#include "PluginState.h"

PluginState pluginState = {};
