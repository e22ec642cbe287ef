#pragma once
#include "Game/model/GUnit.h"
#include "platform/user/window.h"
