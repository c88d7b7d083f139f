#pragma once
// A real Scintilla window, a properties set and a scratch folder for the
// exporter tests, plus helpers to run the external readers.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <Qsci/qsciscintillabase.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "config/PropSetFile.h"
#include "export/Export.h"
#include "platform/SciWrap.h"

enum class Format { Html, Rtf, Pdf, Tex };

inline std::string Str(const QByteArray& b)
{
    return std::string(b.constData(), size_t(b.size()));
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = std::make_unique<QsciScintillaBase>();
        sci::Send(view.get(), QsciScintillaBase::SCI_SETCODEPAGE, 65001);
        ASSERT_TRUE(dir.isValid());
        src.view = view.get();
        src.props = &props;
        src.documentPath = "/home/user/src/sample.cpp";
    }

    // Text styled by the container: one style byte per position.
    void SetStyled(const QByteArray& text, const QByteArray& styleBytes)
    {
        ASSERT_EQ(text.size(), styleBytes.size());
        QsciScintillaBase* v = view.get();
        sci::Send(v, QsciScintillaBase::SCI_SETLEXER, 0);  // container
        sci::Send(v, QsciScintillaBase::SCI_CLEARALL);
        v->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, (unsigned long)text.size(), text.constData());
        sci::Send(v, QsciScintillaBase::SCI_STARTSTYLING, 0, 0xFF);
        v->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, (unsigned long)styleBytes.size(),
                         styleBytes.constData());
        src.lexerName = "";
    }
    // Text in one style.
    void SetPlain(const QByteArray& text, int style = 0)
    {
        SetStyled(text, QByteArray(text.size(), char(style)));
    }
    // Text coloured by Scintilla's C++ lexer (with folding).
    void SetCpp(const QByteArray& text)
    {
        QsciScintillaBase* v = view.get();
        sci::Send(v, QsciScintillaBase::SCI_CLEARALL);
        sci::SendStr(v, QsciScintillaBase::SCI_SETLEXERLANGUAGE, 0, "cpp");
        sci::SendStr(v, QsciScintillaBase::SCI_SETKEYWORDS, 0, "int return if else while struct");
        v->SendScintilla(QsciScintillaBase::SCI_SETPROPERTY, "fold", "1");
        v->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, (unsigned long)text.size(), text.constData());
        src.lexerName = "cpp";
        props.Assign("style.*.32", "font:Courier New,size:10");
        props.Assign("style.cpp.1", "fore:#008000,italics");  // comment
        props.Assign("style.cpp.4", "fore:#FF8000");          // number
        props.Assign("style.cpp.5", "fore:#0000FF,bold");     // keyword
        props.Assign("style.cpp.6", "fore:#800080");          // string
        props.Assign("style.cpp.10", "bold");                 // operator
    }

    QString PathFor(Format f) const
    {
        static const char* ext[] = {"htm", "rtf", "pdf", "tex"};
        return dir.filePath(QString("out.") + ext[int(f)]);
    }
    bool Export(Format f, const QString& path)
    {
        switch (f) {
        case Format::Html: return ExportHTML(src, path);
        case Format::Rtf: return ExportRTF(src, path);
        case Format::Pdf: return ExportPDF(src, path);
        case Format::Tex: return ExportTeX(src, path);
        }
        return false;
    }
    // Runs the writer into the scratch folder and returns the file's bytes.
    QByteArray Run(Format f)
    {
        QString path = PathFor(f);
        QFile::remove(path);
        EXPECT_TRUE(Export(f, path));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    // Runs a reader program; false (with the reason) when it is missing.
    static bool HaveTool(const char* name)
    {
        return !QStandardPaths::findExecutable(name).isEmpty();
    }
    struct ToolResult {
        int exitCode = -1;
        QByteArray out, err;
    };
    static ToolResult RunTool(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        ToolResult r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    // xmllint's verdict on a file's well-formedness. Without the DTD (never
    // fetched) it reports "&nbsp;" as undeclared but still accepts the file;
    // anything else it reports counts as a failure.
    static bool XmlWellFormed(const QString& path, std::string& messages)
    {
        ToolResult r = RunTool("xmllint", {"--noout", "--nonet", path});
        messages.clear();
        for (const QByteArray& line : r.err.split('\n'))
            if (line.contains("parser error") && !line.contains("Entity 'nbsp' not defined"))
                messages += Str(line) + "\n";
        return r.exitCode == 0 && messages.empty();
    }

    std::unique_ptr<QsciScintillaBase> view;
    PropSetFile props;
    ExportSource src;
    QTemporaryDir dir;
};

