#pragma once

#include "core/base/Language.h"

// The installations the tests make show English, as the template configuration says.
inline QString Text(int record) {
    return Text(record, Language::English);
}
