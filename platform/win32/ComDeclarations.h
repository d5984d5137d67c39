// COM on Windows: the platform's own declarations. The subsystems see the
// Windows headers through this one file; the seam's own names never clash
// with the macros those headers define.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <oleidl.h>
#include <ocidl.h>
#include <olectl.h>
