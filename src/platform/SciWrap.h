#pragma once
// Thin, unambiguous wrapper over QsciScintillaBase::SendScintilla. Every
// message to the editing component goes through Send(), so call sites read
// like the component's own message interface and never hit the overload
// ambiguity of SendScintilla(msg, 0, "text").
#include <Qsci/qsciscintillabase.h>
#include <cstdint>

namespace sci {

inline long Send(QsciScintillaBase* w, unsigned int msg, uintptr_t wParam = 0, intptr_t lParam = 0)
{
    return w->SendScintilla(msg, static_cast<unsigned long>(wParam), static_cast<long>(lParam));
}

inline long SendStr(QsciScintillaBase* w, unsigned int msg, uintptr_t wParam, const char* text)
{
    return w->SendScintilla(msg, static_cast<unsigned long>(wParam), text);
}

inline long SendPtr(QsciScintillaBase* w, unsigned int msg, uintptr_t wParam, void* ptr)
{
    return w->SendScintilla(msg, static_cast<unsigned long>(wParam), ptr);
}

} // namespace sci
