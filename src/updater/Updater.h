#pragma once
// The updater program: the check that runs before any window is shown, the
// Update dialog with its download, and the message boxes of both.
#include "UpdateLogic.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QFile;
class QTimer;

namespace marlin {

// The program's string table.
enum StringId {
    IDS_UPDATE = 100,
    IDS_BEGIN_DOWNLOAD = 102,    // "Begin download: %s\r\n"
    IDS_DOWNLOAD_TO = 103,       // "Download to: %s\r\n"
    IDS_DOWNLOAD_OVER = 104,
    IDS_UP_TO_DATE = 109,
    IDS_TRY_OTHER_URL = 112,
    IDS_TRY_LATER = 113,
    IDS_NO_CONNECTION = 114,
    IDS_SURE_CANCEL = 115,
};
QString LoadString(int id);
// The question after a finished download.
QString DownloadFinishedText();

// ---- message boxes ---------------------------------------------------------
enum class MessageKind { Error, Information, Plain, Question };
// Returns the button pressed (QMessageBox::StandardButton). Question boxes
// offer Yes and No, all others OK.
using MessageHandler = std::function<int(QWidget* parent, MessageKind kind,
                                         const QString& caption, const QString& text)>;
// Replaces how messages are shown (tests record them); an empty handler
// restores the real message boxes.
void SetMessageHandler(MessageHandler handler);
int ShowMessage(QWidget* parent, MessageKind kind, const QString& caption, const QString& text);

// ---- settings of one run ---------------------------------------------------
struct Options {
    QString programDir;             // where the target file lies (marlin's own folder)
    Server server;                  // the update service
    int connectTimeoutMs = 15000;   // connection set-up, also of a download
    int readTimeoutMs = 30000;      // longest time without any data
    int versionTimeoutMs = 10000;   // "<target> --version"
    // Starts the downloaded installer; the default asks for elevated rights.
    std::function<void(const QString& path)> launchInstaller;
    // Where fresh download folders are made; empty = the user's temporary folder.
    QString tempRoot;

    static Options Defaults();
};

// ---- the check -------------------------------------------------------------
struct Offer {
    QString caption;
    Version installed;
    Version latest;
    QString installer;        // line 1, a plain file name
    QStringList servers;      // line 2
    QString notes;
};

struct CheckOutcome {
    int exitCode = 0;
    bool offer = false;       // true: show the Update dialog with `data`
    Offer data;
};

// Everything before the dialog: reads the installed version, asks the
// server, shows the messages the outcome calls for (none in silent mode).
CheckOutcome Check(const CommandLine& cl, const Options& options);

bool ReadInstalledVersion(const QString& dir, const QString& target, int timeoutMs, Version& out);
bool ConnectionCheck(const Server& server, int timeoutMs);
// GET of the query; at most the first 511 bytes of the body are kept.
bool FetchResponse(const Server& server, const QString& path, int connectTimeoutMs,
                   int readTimeoutMs, QByteArray& body);
// Makes the file executable and starts it: through pkexec when present,
// otherwise directly. Nothing is reported when it does not start.
void LaunchInstallerElevated(const QString& path);

// The whole program for one command line (without argument 0).
int Run(const QStringList& args, const Options& options);

// ---- the Update dialog -------------------------------------------------------
class CUpdateDialog : public QDialog {
    Q_OBJECT
public:
    CUpdateDialog(const Offer& offer, const Options& options, QWidget* parent = nullptr);
    ~CUpdateDialog() override;

    // The notes with the download log appended, line ends as written.
    QString LogText() const { return log; }
    // Path of the last download (empty before the first).
    QString DownloadPath() const { return downloadPath; }
    bool Downloading() const { return reply != nullptr; }

    QLineEdit* yourVersionEdit() const { return yourVersion; }
    QLineEdit* latestVersionEdit() const { return latestVersion; }
    QComboBox* serverCombo() const { return serverList; }
    QPlainTextEdit* notesEdit() const { return notesBox; }
    QProgressBar* progressBar() const { return progress; }
    QLabel* percentLabel() const { return percent; }
    QPushButton* updateButton() const { return updateBtn; }
    QPushButton* cancelButton() const { return cancelBtn; }

public slots:
    void StartDownload();
    // Asks "Are you sure cancel update?"; Yes closes, also during a download.
    void reject() override;

signals:
    void downloadFailed();
    void downloadSucceeded(const QString& path);

private:
    void AppendLog(const QString& text);
    void OnProgress(qint64 received, qint64 total);
    void OnFinished();
    void Fail();
    void Succeed();
    void RemoveEmptyDownload();
    void DropReply();

    Offer offer;
    Options options;
    QString log;
    QString downloadPath;

    QLineEdit* yourVersion = nullptr;
    QLineEdit* latestVersion = nullptr;
    QComboBox* serverList = nullptr;
    QPlainTextEdit* notesBox = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* percent = nullptr;
    QPushButton* updateBtn = nullptr;
    QPushButton* cancelBtn = nullptr;

    QNetworkAccessManager* network = nullptr;
    QNetworkReply* reply = nullptr;
    QTimer* connectTimer = nullptr;
    std::unique_ptr<QFile> file;
    bool writeFailed = false;
};

} // namespace marlin
