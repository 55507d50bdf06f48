// <windows.h> and the OLE Automation headers, lean: without commdlg.h, whose FindText
// and ReplaceText macros would rename our text operations, and without min/max macros.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
