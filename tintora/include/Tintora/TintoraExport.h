#pragma once

#include <QtGlobal>

#if defined(TINTORA_LIBRARY)
#define TINTORA_EXPORT Q_DECL_EXPORT
#else
#define TINTORA_EXPORT Q_DECL_IMPORT
#endif
