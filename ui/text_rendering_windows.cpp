#include "text_rendering.h"

#include <windows.h>

#include <QByteArray>
#include <QtGlobal>

namespace tervalink {

// Under Wine, text drawn through GDI loses glyphs of Liberation Sans at the captions' sizes (the
// capital I, for one) and spaces the rest unevenly; Qt's own FreeType engine draws them right.
// Windows itself keeps its native text, and a platform the user chose is left alone.
void choose_text_rendering()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const bool under_wine = ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    if (under_wine && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("windows:fontengine=freetype"));
}

} // namespace tervalink
