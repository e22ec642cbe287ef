#pragma once
int WindowCount();
