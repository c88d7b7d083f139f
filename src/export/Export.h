#pragma once
// The four document writers (HTML, RTF, PDF, LaTeX) and Copy as RTF.
//
// The writers read the styled text straight from a Scintilla window and know
// nothing about document windows: everything they need travels in an
// ExportSource. They return false when the output cannot be written (the
// command glue in ExportCommands.cpp turns that into the user's message).
#include <QByteArray>
#include <QString>
#include <string>

class QsciScintillaBase;
class PropSetFile;

struct ExportSource {
    QsciScintillaBase* view = nullptr;
    // Main properties set; null means every setting takes its built-in default.
    const PropSetFile* props = nullptr;
    // Lexer name of the document's language: it names the "style.<lexer>.<n>" keys.
    std::string lexerName;
    // The document is stored in the ANSI code page. The component may hold it
    // as UTF-8 (code page 65001); the writers then convert back, so that the
    // output holds the bytes the file would hold.
    bool ansi = false;
    // Path of the document (titles of the HTML and LaTeX output); may be empty.
    QString documentPath;
};

// The style definition used by the exporters: the texts as written in the
// style strings (colours are kept as text: the formats compare and print them).
struct ExportStyle {
    bool specified = false;   // at least one item of the two style strings was recognised
    bool italic = false;  bool hasItalic = false;
    bool bold = false;    bool hasBold = false;
    std::string font;         // "|" turned into ","; empty when not set
    std::string fore = "#000000";  bool hasFore = false;
    std::string back = "#FFFFFF";  bool hasBack = false;
    int size = 0;
};

// Style n built from "style.*.<n>" overridden by "style.<lexer>.<n>" (both expanded).
ExportStyle ExportStyleLookup(const ExportSource& src, int n);
// Parses one style string over 'style' (later items win); returns whether any
// item was recognised.
bool ParseExportStyle(const std::string& text, ExportStyle& style);

bool ExportHTML(const ExportSource& src, const QString& path);
// Writes positions start .. end-1; an end below 0 means the document length.
bool ExportRTF(const ExportSource& src, const QString& path, long start = 0, long end = -1);
// The RTF control words of 'next' that differ from those at the same place in
// 'last', plus one space when there are any ("" when nothing changes).
std::string StyleDelta(const std::string& last, const std::string& next);
// The same RTF into memory (Copy as RTF).
bool ExportRTFToBytes(const ExportSource& src, long start, long end, QByteArray& out);
bool ExportPDF(const ExportSource& src, const QString& path);
bool ExportTeX(const ExportSource& src, const QString& path);

// RTF of the selection on the clipboard, as "text/rtf" and "Rich Text Format".
// An empty selection gives a header-only document. False when nothing was copied.
bool CopyAsRTF(const ExportSource& src);
