#pragma once

#include <QString>

// The meaning of a terminal error code in the words of the interface tool's
// user, for the messages that name a terminal whose data could not be read.
QString termErrorMeaning(int code);
