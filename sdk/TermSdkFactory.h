#pragma once

#include "ITermSdk.h"

#include <functional>
#include <memory>

// Makes the SDK control a window hosts. The programs make the real client;
// tests hand in a fake.
using TermSdkFactory = std::function<std::unique_ptr<ITermSdk>()>;
