#pragma once
#include "platform/user/window.h"
