#include "Updater.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

namespace marlin {

// ---- strings -----------------------------------------------------------------

QString LoadString(int id)
{
    switch (id) {
    case IDS_UPDATE: return QStringLiteral("Update");
    case IDS_BEGIN_DOWNLOAD: return QStringLiteral("Begin download: %s\r\n");
    case IDS_DOWNLOAD_TO: return QStringLiteral("Download to: %s\r\n");
    case IDS_DOWNLOAD_OVER: return QStringLiteral("Download over\r\n");
    case IDS_UP_TO_DATE: return QStringLiteral("The current version is up to date.");
    case IDS_TRY_OTHER_URL: return QStringLiteral("cannot download file, please try other url.");
    case IDS_TRY_LATER: return QStringLiteral("Cannot download, try later.");
    case IDS_NO_CONNECTION: return QStringLiteral("Cannot connect to web.");
    case IDS_SURE_CANCEL: return QStringLiteral("Are you sure cancel update?");
    }
    return QString();
}

QString DownloadFinishedText()
{
    return QStringLiteral("Download Finished, Update Now?");
}

namespace {

// The string table's texts hold one "%s"; replace it without treating
// anything in the inserted text as a format.
QString FormatS(int id, const QString& value)
{
    QString s = LoadString(id);
    const int at = s.indexOf(QLatin1String("%s"));
    if (at >= 0)
        s.replace(at, 2, value);
    return s;
}

// How the log looks in the text box: CR LF as one line end.
QString ForDisplay(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

bool IsSuccessStatus(const QNetworkReply* reply)
{
    const QVariant v = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!v.isValid())
        return true;   // not HTTP (no status)
    const int status = v.toInt();
    return status >= 200 && status < 300;
}

MessageHandler& Handler()
{
    static MessageHandler handler;
    return handler;
}

} // namespace

// ---- message boxes -----------------------------------------------------------

void SetMessageHandler(MessageHandler handler)
{
    Handler() = std::move(handler);
}

int ShowMessage(QWidget* parent, MessageKind kind, const QString& caption, const QString& text)
{
    if (Handler())
        return Handler()(parent, kind, caption, text);
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
    case MessageKind::Question: box.setIcon(QMessageBox::Question); break;
    case MessageKind::Plain: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (kind == MessageKind::Question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return box.exec();
}

// ---- options -----------------------------------------------------------------

Options Options::Defaults()
{
    Options o;
    o.programDir = QCoreApplication::applicationDirPath();
    o.server = ConfiguredServer();
    o.launchInstaller = LaunchInstallerElevated;
    return o;
}

// ---- the check -----------------------------------------------------------------

bool ReadInstalledVersion(const QString& dir, const QString& target, int timeoutMs, Version& out)
{
    if (target.isEmpty())
        return false;
    const QString path = QDir(dir).filePath(target);
    if (!QFileInfo(path).isFile())
        return false;
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(path, {QStringLiteral("--version")});
    if (!p.waitForStarted(timeoutMs))
        return false;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return FindFullVersion(QString::fromLocal8Bit(p.readAllStandardOutput()), out);
}

bool ConnectionCheck(const Server& server, int timeoutMs)
{
    QTcpSocket socket;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool connected = false;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] { connected = true; loop.quit(); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&] { loop.quit(); });
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToHost(server.host, quint16(server.port));
    timer.start(timeoutMs);
    if (socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec();
    socket.abort();
    return connected;
}

bool FetchResponse(const Server& server, const QString& path, int connectTimeoutMs,
                   int readTimeoutMs, QByteArray& body)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(server.BaseUrl() + path));
    request.setHeader(QNetworkRequest::UserAgentHeader, server.host);
    request.setRawHeader("Accept", "*/*");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setTransferTimeout(readTimeoutMs);

    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QTimer connectTimer;
    connectTimer.setSingleShot(true);
    QByteArray data;
    bool enough = false;
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &connectTimer, &QTimer::stop);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        connectTimer.stop();
        data += reply->readAll();
        // Only the first 511 bytes matter: stop reading a longer body.
        if (data.size() >= MaxResponseBytes && !enough) {
            enough = true;
            loop.quit();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&connectTimer, &QTimer::timeout, &loop, [&] { timedOut = true; loop.quit(); });
    connectTimer.start(connectTimeoutMs);
    if (!reply->isFinished())
        loop.exec();

    bool ok = false;
    if (enough) {
        ok = IsSuccessStatus(reply);
    } else if (!timedOut && reply->isFinished() && reply->error() == QNetworkReply::NoError) {
        data += reply->readAll();
        ok = IsSuccessStatus(reply);
    }
    reply->disconnect();
    if (!reply->isFinished())
        reply->abort();
    delete reply;
    if (ok)
        body = data.left(MaxResponseBytes);
    return ok;
}

CheckOutcome Check(const CommandLine& cl, const Options& options)
{
    CheckOutcome out;
    if (!cl.hasId) {
        out.exitCode = -1;
        return out;
    }
    const QString caption = MakeCaption(cl.target);

    Version installed;
    if (!ReadInstalledVersion(options.programDir, cl.target, options.versionTimeoutMs, installed))
        return out;

    const QString mac = MacFromAdapters(ReadAdapters());
    const QString cpuid = CpuidText();

    if (!ConnectionCheck(options.server, options.connectTimeoutMs)) {
        if (!cl.silent)
            ShowMessage(nullptr, MessageKind::Error, caption, LoadString(IDS_NO_CONNECTION));
        return out;
    }

    QByteArray body;
    if (!FetchResponse(options.server, QueryPath(cl.id, mac, cpuid, installed),
                       options.connectTimeoutMs, options.readTimeoutMs, body))
        return out;

    const Response response = ParseResponse(body);
    if (!response.hasLineEnd) {
        if (!cl.silent)
            ShowMessage(nullptr, MessageKind::Information, caption, LoadString(IDS_UP_TO_DATE));
        return out;
    }

    // Line 1 becomes a file name on this machine: anything but a plain name
    // is treated as an answer without an offer.
    Version latest;
    if (!VersionFromInstaller(response.installer, latest) || !IsSafeInstallerName(response.installer))
        return out;

    if (!IsNewer(latest, installed)) {
        if (!cl.silent)
            ShowMessage(nullptr, MessageKind::Plain, caption, LoadString(IDS_UP_TO_DATE));
        return out;
    }

    out.offer = true;
    out.data.caption = caption;
    out.data.installed = installed;
    out.data.latest = latest;
    out.data.installer = response.installer;
    out.data.servers = response.servers;
    out.data.notes = response.notes;
    return out;
}

void LaunchInstallerElevated(const QString& path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString pkexec = QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    if (!pkexec.isEmpty())
        QProcess::startDetached(pkexec, {path});
    else
        QProcess::startDetached(path, {});
}

int Run(const QStringList& args, const Options& options)
{
    const CommandLine cl = ParseCommandLine(args);
    const CheckOutcome outcome = Check(cl, options);
    if (!outcome.offer)
        return outcome.exitCode;
    CUpdateDialog dialog(outcome.data, options);
    dialog.exec();
    return 0;
}

// ---- the Update dialog -------------------------------------------------------------

CUpdateDialog::CUpdateDialog(const Offer& offerIn, const Options& optionsIn, QWidget* parent)
    : QDialog(parent), offer(offerIn), options(optionsIn)
{
    setWindowTitle(offer.caption);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_BrowserReload);
    setWindowIcon(icon);

    yourVersion = new QLineEdit(offer.installed.ToString(), this);
    yourVersion->setReadOnly(true);
    latestVersion = new QLineEdit(offer.latest.ToString(), this);
    latestVersion->setReadOnly(true);
    serverList = new QComboBox(this);
    serverList->addItems(offer.servers);
    serverList->setCurrentIndex(offer.servers.isEmpty() ? -1 : 0);

    auto* form = new QFormLayout;
    auto* yourLabel = new QLabel(QStringLiteral("&Your Version:"), this);
    yourLabel->setBuddy(yourVersion);
    auto* latestLabel = new QLabel(QStringLiteral("&Latest Version:"), this);
    latestLabel->setBuddy(latestVersion);
    auto* serverLabel = new QLabel(QStringLiteral("Update &Server:"), this);
    serverLabel->setBuddy(serverList);
    form->addRow(yourLabel, yourVersion);
    form->addRow(latestLabel, latestVersion);
    form->addRow(serverLabel, serverList);

    log = offer.notes;
    notesBox = new QPlainTextEdit(this);
    notesBox->setReadOnly(true);
    notesBox->setPlainText(ForDisplay(log));
    notesBox->setMinimumSize(420, 180);

    progress = new QProgressBar(this);
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->hide();
    percent = new QLabel(QStringLiteral("0%"), this);
    percent->setMinimumWidth(40);
    percent->hide();
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress, 1);
    progressRow->addWidget(percent);

    updateBtn = new QPushButton(QStringLiteral("&Update"), this);
    updateBtn->setDefault(true);
    updateBtn->setAutoDefault(true);
    cancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    cancelBtn->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(updateBtn);
    buttons->addWidget(cancelBtn);

    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(notesBox, 1);
    top->addLayout(progressRow);
    top->addLayout(buttons);

    connect(updateBtn, &QPushButton::clicked, this, &CUpdateDialog::StartDownload);
    connect(cancelBtn, &QPushButton::clicked, this, &CUpdateDialog::reject);

    network = new QNetworkAccessManager(this);
    connectTimer = new QTimer(this);
    connectTimer->setSingleShot(true);
    connect(connectTimer, &QTimer::timeout, this, [this] {
        if (reply)
            reply->abort();   // reported through finished() as a failure
    });
}

CUpdateDialog::~CUpdateDialog()
{
    DropReply();
}

void CUpdateDialog::AppendLog(const QString& text)
{
    log += text;
    notesBox->moveCursor(QTextCursor::End);
    notesBox->insertPlainText(ForDisplay(text));
    notesBox->moveCursor(QTextCursor::End);
}

void CUpdateDialog::StartDownload()
{
    if (reply)
        return;
    updateBtn->setEnabled(false);
    progress->setValue(0);
    percent->setText(QStringLiteral("0%"));
    progress->show();
    percent->show();

    const QString server = serverList->currentIndex() >= 0 ? serverList->currentText() : QString();
    const QString url = DownloadUrl(server, offer.installer);

    AppendLog(QStringLiteral("\r\n") + QString(74, u'-') + QStringLiteral("\r\n"));
    AppendLog(FormatS(IDS_BEGIN_DOWNLOAD, offer.installer));

    // A fresh folder only this user can enter, so nobody can place a file
    // or link where the installer will be written. It stays after the run
    // because the installer is started from it.
    const QString root = options.tempRoot.isEmpty() ? QDir::tempPath() : options.tempRoot;
    QTemporaryDir dir(QDir(root).filePath(QStringLiteral("marlin-XXXXXX")));
    if (!dir.isValid()) {
        Fail();
        return;
    }
    dir.setAutoRemove(false);
    downloadPath = QDir(dir.path()).filePath(offer.installer);
    AppendLog(FormatS(IDS_DOWNLOAD_TO, QDir::toNativeSeparators(downloadPath)));

    if (url.isEmpty()) {
        Fail();
        return;
    }
    file = std::make_unique<QFile>(downloadPath);
    if (!file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        file.reset();
        Fail();
        return;
    }
    writeFailed = false;

    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(options.readTimeoutMs);
    reply = network->get(request);
    connect(reply, &QNetworkReply::metaDataChanged, connectTimer, &QTimer::stop);
    connect(reply, &QNetworkReply::readyRead, this, [this] {
        connectTimer->stop();
        const QByteArray chunk = reply->readAll();
        // An error page is not the installer: only a successful answer is saved.
        if (!IsSuccessStatus(reply))
            return;
        if (file && !writeFailed && file->write(chunk) != chunk.size())
            writeFailed = true;
    });
    connect(reply, &QNetworkReply::downloadProgress, this, &CUpdateDialog::OnProgress);
    connect(reply, &QNetworkReply::finished, this, &CUpdateDialog::OnFinished);
    connectTimer->start(options.connectTimeoutMs);
}

void CUpdateDialog::OnProgress(qint64 received, qint64 total)
{
    if (total <= 0)
        return;
    qint64 p = (received * 100 + total / 2) / total;
    p = std::clamp<qint64>(p, 0, 90);   // 100 only once the file is complete
    progress->setValue(int(p));
    percent->setText(QStringLiteral("%1%").arg(p));
}

void CUpdateDialog::OnFinished()
{
    connectTimer->stop();
    bool ok = reply->error() == QNetworkReply::NoError && IsSuccessStatus(reply);
    if (ok && file) {
        const QByteArray rest = reply->readAll();
        if (file->write(rest) != rest.size())
            writeFailed = true;
        ok = !writeFailed && file->flush();
    }
    if (file)
        file->close();
    file.reset();
    reply->deleteLater();
    reply = nullptr;
    if (!ok)
        RemoveEmptyDownload();
    if (ok)
        Succeed();
    else
        Fail();
}

void CUpdateDialog::RemoveEmptyDownload()
{
    // Nothing arrived: leave no empty file and folder behind. A partly
    // downloaded installer stays where it is.
    if (downloadPath.isEmpty() || QFileInfo(downloadPath).size() > 0)
        return;
    QFile::remove(downloadPath);
    QDir().rmdir(QFileInfo(downloadPath).absolutePath());
}

void CUpdateDialog::Fail()
{
    progress->hide();
    percent->hide();
    const bool several = offer.servers.size() >= 2;
    ShowMessage(this, MessageKind::Plain, offer.caption,
                LoadString(several ? IDS_TRY_OTHER_URL : IDS_TRY_LATER));
    if (several)
        updateBtn->setEnabled(true);
    emit downloadFailed();
}

void CUpdateDialog::Succeed()
{
    percent->setText(QStringLiteral("100%"));
    progress->setValue(100);
    AppendLog(LoadString(IDS_DOWNLOAD_OVER));
    raise();
    activateWindow();
    QApplication::beep();
    QApplication::alert(this);
    ShowMessage(this, MessageKind::Plain, offer.caption, DownloadFinishedText());
    QFile::setPermissions(downloadPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (options.launchInstaller)
        options.launchInstaller(downloadPath);
    emit downloadSucceeded(downloadPath);
    hide();
    QDialog::accept();
}

void CUpdateDialog::DropReply()
{
    if (!reply)
        return;
    connectTimer->stop();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    reply = nullptr;
    if (file)
        file->close();
    file.reset();
    RemoveEmptyDownload();
}

void CUpdateDialog::reject()
{
    if (ShowMessage(this, MessageKind::Question, offer.caption, LoadString(IDS_SURE_CANCEL))
        != QMessageBox::Yes)
        return;
    DropReply();
    QDialog::reject();
}

} // namespace marlin
