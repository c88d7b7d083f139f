#include <gtest/gtest.h>
#include "platform/SciWrap.h"

TEST(Scintilla, WrapperTalksToRealComponent)
{
    QsciScintillaBase w;
    sci::SendStr(&w, QsciScintillaBase::SCI_SETTEXT, 0, "hello");
    EXPECT_EQ(sci::Send(&w, QsciScintillaBase::SCI_GETLENGTH), 5);
}
