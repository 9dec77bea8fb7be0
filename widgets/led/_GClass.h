#pragma once

// The unit's classes: the persistent base, the lamp and the on/off control.
#include "_GClassIndBinGControl.h"
#include "_GClassIndPersistent.h"
#include "_GClassLED.h"
#include "_GClassTypes.h"
