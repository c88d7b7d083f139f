#pragma once
// Internals shared by the writers: settings access, the buffered output file,
// and the chunked reader of styled text.
#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>
#include "export/Export.h"

class QIODevice;
#include <QSaveFile>
class QsciScintillaBase;

namespace exportdetail {

// Settings of the main properties set with their built-in defaults.
int PropInt(const ExportSource& src, const char* key, int def);
std::string PropExpanded(const ExportSource& src, const char* key);
std::string PropPlain(const ExportSource& src, const char* key);

// printf-style formatting into a std::string (integers and texts only).
std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Fixed notation with one decimal and a "." whatever the process locale.
std::string Fixed1(double value);
// Value of the hexadecimal pair at characters index, index+1 of a "#RRGGBB"
// text; a missing or non-hexadecimal digit counts as 0.
int HexPair(const std::string& colour, size_t index);
// Leading integer: optional blanks, optional sign, digits; 0 otherwise.
int LeadingInt(const std::string& text);

// Title text of the HTML and LaTeX outputs: the document's file name (or
// full path), in the bytes the document's own text uses.
QByteArray TitleBytes(const ExportSource& src, bool fullPath);

// A buffered output file. In text mode every line feed is stored as CR LF.
// Writes go through QSaveFile, so a failed export never leaves a truncated
// file in place of an existing one; every write error is reported by Finish.
class Output {
public:
    explicit Output(bool textMode) : textMode(textMode) {}
    ~Output();
    bool Open(const QString& path);
    void OpenMemory();

    void Put(char c)
    {
        if (c == '\n' && textMode)
            buffer.push_back('\r');
        buffer.push_back(c);
        if (buffer.size() >= kFlushSize)
            Flush();
    }
    void Put(const char* s) { while (*s) Put(*s++); }
    void Put(const std::string& s) { for (char c : s) Put(c); }
    void Put(const QByteArray& s) { for (char c : s) Put(c); }
    // Bytes written so far, line-end translation included.
    qint64 Offset() const { return written + static_cast<qint64>(buffer.size()); }
    // Flushes and commits; false when anything failed.
    bool Finish();
    QByteArray TakeMemory() { return memory; }

private:
    static constexpr size_t kFlushSize = 1 << 16;
    void Flush();
    bool textMode;
    std::string buffer;
    qint64 written = 0;
    bool failed = false;
    bool toMemory = false;
    QByteArray memory;
    std::unique_ptr<QSaveFile> file;
};

// Reads the styled text of [start, end) in chunks with SCI_GETSTYLEDTEXT and
// serves it unit by unit with one unit of look-ahead, keeping only a chunk in
// memory. Optionally converts UTF-8 held by the component into an 8-bit code
// page on the way (each character gets the style of its first byte).
class StyledReader {
public:
    enum Mode {
        Raw,        // bytes as the component holds them
        ToAnsi,     // UTF-8 -> process ANSI code page ("?" for what it cannot hold)
        ToWinAnsi,  // UTF-8 -> windows-1252 ("?" for what it cannot hold)
        ValidUtf8,  // UTF-8 kept; bytes that are not UTF-8 become U+FFFD
    };
    StyledReader(QsciScintillaBase* view, long start, long end, Mode mode);

    // True while a unit is available at offset k from the current one.
    bool Has(size_t k = 0)
    {
        return index + k < bytes.size() || Fill(k);
    }
    // Byte / style at offset k; 0 past the end (what the component answers
    // for positions past the document end).
    int Byte(size_t k = 0) { return Has(k) ? bytes[index + k] : 0; }
    int Style(size_t k = 0) { return Has(k) ? styles[index + k] : 0; }
    void Next() { ++index; }

private:
    bool Fill(size_t k);
    void Convert(const char* styled, long count, bool atEnd, long& consumed);
    const std::string& Encode(uint32_t codePoint, const char* utf8, int length);

    QsciScintillaBase* view;
    long pos, end;
    Mode mode;
    std::vector<unsigned char> bytes, styles;
    size_t index = 0;
    std::vector<char> chunk;
    std::unordered_map<uint32_t, std::string> cache;
};

// Reader mode that makes the output hold what the file would hold.
StyledReader::Mode FileBytesMode(const ExportSource& src);

// Colours the whole document so every position has its final style.
void ColouriseAll(QsciScintillaBase* view);
long DocumentLength(QsciScintillaBase* view);

} // namespace exportdetail
