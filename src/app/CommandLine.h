#pragma once
// The editor's command-line syntax, as a pure function from arguments to the
// files to open with their caret positions.
//
//   "-x", "/x", "\x"      switches; "\\server\share" is a file; an argument
//                         starting with "/" that holds another "/" or names
//                         an existing file or folder is an absolute path
//   -line:L[,C]           L zero-based line, C one-based column (0 and 1: line
//                         start); applies to the files after it until the
//                         next -line: switch; a missing C keeps the previous one
//   other switches        ignored; those not starting with "l" are reported
//                         as "invalid command switch: %s\n" on the debug output
//   anything else         a file, made absolute against the base directory
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace commandline {

struct FileRequest {
    QString path;    // absolute, "." and ".." resolved
    int line = -1;   // -1: no line given
    int column = -1; // -1: no column given
};

// Splits one command-line string into arguments by the Windows rules
// (blanks separate; "..." groups; 2n backslashes + quote -> n backslashes
// and a quote toggle; 2n+1 backslashes + quote -> n backslashes and a
// literal quote; "" inside quotes -> a literal quote). With programFirst the
// first argument is read as a program path: up to the next quote when it
// starts with one, else up to the first blank, backslashes taken literally.
QStringList Split(const QString& commandLine, bool programFirst = true);

// Arguments to file requests. With skipFirst the first argument (the program
// path) is skipped. Relative paths are combined with baseDirectory.
QList<FileRequest> Parse(const QStringList& args, const QString& baseDirectory, bool skipFirst);

// Where "invalid command switch: ..." goes; by default qDebug(). Passing an
// empty function restores the default.
void SetDebugOutput(std::function<void(const QString&)> sink);

} // namespace commandline
