#pragma once

#include "windowdescription.h"

// The main window as stored.
const WindowDescription &form1Description();
