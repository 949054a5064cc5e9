#include "ReviewModel.h"

#include <QFutureWatcher>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <filesystem>

#include "DesktopActions.h"
#include "SessionController.h"
#include "core/log/Logger.h"
#include "core/package/Archive.h"

namespace tarvix::app {

namespace {

/// Runs `work` on Qt's thread pool and hands its answer to `done` on `context`'s thread; nothing
/// is delivered once `context` is gone (the work still finishes, holding only its own values).
template <typename Work, typename Done>
void runOffInterfaceThread(QObject* context, Work work, Done done)
{
    using Answer = decltype(work());
    // QFuture wants a default-constructible result; the answers are not.
    auto* watcher = new QFutureWatcher<std::shared_ptr<Answer>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        done(*watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([work = std::move(work)] { return std::make_shared<Answer>(work()); }));
}

QString sizeText(std::uint64_t bytes, int precision = 1)
{
    return QLocale().formattedDataSize(static_cast<qint64>(bytes), precision, QLocale::DataSizeIecFormat);
}

}  // namespace

ReviewModel::ReviewModel(std::shared_ptr<SessionController> controller, QObject* parent)
    : QAbstractListModel(parent), m_controller(std::move(controller))
{
    connect(m_controller.get(), &SessionController::shareChoicesChanged, this, &ReviewModel::choicesApplied);
}

const ShareChoices& ReviewModel::choices() const { return m_controller->shareChoices(); }

// Also what the packaging left out: the files it could not hide.
void ReviewModel::choicesApplied()
{
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {IncludedRole});
    emit choicesChanged();
}

ReviewModel::~ReviewModel() = default;

int ReviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_list.entries.size());
}

QVariant ReviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ShareEntry& entry = m_list.entries[static_cast<std::size_t>(index.row())];
    switch (role) {
    case PathRole:
        return QString::fromStdString(
            entry.target.empty() ? entry.path
                                 : entry.path + " → " + std::filesystem::path(entry.target).filename().string());
    case SizeRole: return sizeText(entry.size);
    case IncludedRole: return !isLeftOut(entry, choices().leftOut);
    case UnsearchableRole: return choices().hideIdentity && !leftOutWhenHiding(entry).empty();
    default: return {};
    }
}

QHash<int, QByteArray> ReviewModel::roleNames() const
{
    return {{PathRole, "path"}, {SizeRole, "size"}, {IncludedRole, "included"}, {UnsearchableRole, "unsearchable"}};
}

int ReviewModel::fileCount() const
{
    int count = 0;
    for (const ShareEntry& entry : m_list.entries) count += isSent(entry, choices()) ? 1 : 0;
    return count;
}

QString ReviewModel::totalSize() const
{
    std::uint64_t total = 0;
    for (const ShareEntry& entry : m_list.entries)
        if (isSent(entry, choices())) total += entry.size;
    return sizeText(total);
}

QString ReviewModel::estimatedSize() const { return sizeText(estimateArchiveSize(m_list, choices())); }

bool ReviewModel::overLimit() const
{
    return estimateArchiveSize(m_list, choices()) >= FilesPathDirectory::kArchiveSizeLimit;
}

QString ReviewModel::sizeLimit() const { return sizeText(FilesPathDirectory::kArchiveSizeLimit, 0); }

QString ReviewModel::previewLimit() const { return sizeText(kPreviewLimit, 0); }

void ReviewModel::load()
{
    // Once packaged, the list shown is the one the choices were made on: the folder has been
    // pruned and holds the archive since.
    if (m_locked && m_loaded) return;
    const auto& session = m_controller->currentSession();
    if (!session || !session->folder) {
        setProblem(Problem::listFailed);
        return;
    }
    m_hiddenNamesFile = QString::fromStdString(tarvix::hiddenNamesFile(*session).string());
    m_loading = true;
    emit listChanged();
    const std::uint64_t generation = ++m_loadGeneration;
    runOffInterfaceThread(
        this, [folder = *session->folder] { return listShareable(folder); },
        [this, generation](const Result<ShareList>& list) { listLoaded(generation, list); });
}

void ReviewModel::listLoaded(std::uint64_t generation, const Result<ShareList>& list)
{
    if (generation != m_loadGeneration) return;
    beginResetModel();
    m_loading = false;
    if (list) {
        m_list = list.value();
        m_loaded = true;
    } else {
        Logger::logError("Unable to list the files to share: " + list.message());
        m_list = {};
    }
    endResetModel();
    setProblem(list ? Problem::none : Problem::listFailed);
    emit listChanged();
    emit choicesChanged();
}

void ReviewModel::setIncluded(int row, bool included)
{
    if (row < 0 || row >= rowCount()) return;
    ShareChoices choices = this->choices();
    // A link's box is its target's.
    const ShareEntry& entry = m_list.entries[static_cast<std::size_t>(row)];
    const std::string& path = entry.target.empty() ? entry.path : entry.target;
    if (included) {
        choices.leftOut.erase(path);
        choices.leftOut.erase(entry.path);
    } else {
        choices.leftOut.insert(path);
    }
    if (!included && leavesOutEverything(m_list, choices))
        setProblem(Problem::everythingLeftOut);
    else if (m_controller->setShareChoices(choices))
        setProblem(Problem::none);
    // Also when refused: the boxes show the choice that holds, links with their targets.
    emit dataChanged(index(0), index(rowCount() - 1), {IncludedRole});
}

void ReviewModel::setHideIdentity(bool hide)
{
    if (hide == choices().hideIdentity) return;
    ShareChoices changed = choices();
    changed.hideIdentity = hide;
    // Refused: the box shows the choice that holds.
    if (!m_controller->setShareChoices(changed)) emit choicesChanged();
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {UnsearchableRole});
}

QString ReviewModel::extraWords() const
{
    QStringList words;
    for (const std::string& word : choices().words) words << QString::fromStdString(word);
    return words.join(QStringLiteral(", "));
}

void ReviewModel::setExtraWords(const QString& text)
{
    ShareChoices changed = choices();
    changed.words.clear();
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("[,;\n]")), Qt::SkipEmptyParts))
        if (const QString trimmed = word.trimmed(); !trimmed.isEmpty()) changed.words.push_back(trimmed.toStdString());
    if (changed.words == choices().words) return;
    if (!m_controller->setShareChoices(changed)) emit choicesChanged();
}

void ReviewModel::setProblem(Problem problem)
{
    if (problem == m_problem) return;
    m_problem = problem;
    emit problemChanged();
}

void ReviewModel::setLocked(bool locked)
{
    if (locked == m_locked) return;
    m_locked = locked;
    emit lockedChanged();
}

void ReviewModel::openFile(int row)
{
    const auto& session = m_controller->currentSession();
    if (row < 0 || row >= rowCount() || !session || !session->folder) return;
    const ShareEntry entry = m_list.entries[static_cast<std::size_t>(row)];
    if (entry.kind == ShareEntry::Kind::other) {
        openCopy(entry.path);
        return;
    }
    const std::uint64_t generation = ++m_openGeneration;
    runOffInterfaceThread(
        this, [folder = *session->folder, path = entry.path] { return previewFile(folder, path); },
        [this, generation, path = entry.path](const Result<FilePreview>& preview) {
            if (generation != m_openGeneration) return;
            if (preview && !preview.value().isText)
                openCopy(path);
            else
                showPreview(QString::fromStdString(path), preview);
        });
}

void ReviewModel::showPreview(const QString& path, const Result<FilePreview>& preview)
{
    if (!preview) {
        Logger::logError("Unable to show " + path.toStdString() + ": " + preview.message());
        setProblem(Problem::openFailed);
        return;
    }
    setProblem(Problem::none);
    m_previewPath = path;
    m_previewLines = QString::fromStdString(preview.value().text).split(u'\n');
    m_previewWidth = 0;
    for (QString& line : m_previewLines) {
        if (line.endsWith(u'\r')) line.chop(1);
        m_previewWidth = std::max(m_previewWidth, static_cast<int>(line.size()));
    }
    m_previewTruncated = preview.value().truncated;
    emit previewChanged();
}

// Never the original: a viewer could change or lock the file the share is about to send.
void ReviewModel::openCopy(const std::string& path)
{
    const auto& session = m_controller->currentSession();
    if (!session || !session->folder || !session->scratch) return;
    const std::uint64_t generation = ++m_openGeneration;
    runOffInterfaceThread(
        this,
        [folder = *session->folder, into = *session->scratch / "Review", path] {
            return copyForViewing(folder, path, into);
        },
        [this, generation, path](const Result<std::filesystem::path>& copy) {
            if (generation != m_openGeneration) return;
            if (!copy) {
                Logger::logError("Unable to open " + path + ": " + copy.message());
                setProblem(Problem::openFailed);
                return;
            }
            setProblem(Problem::none);
            openWithDefaultHandler(QUrl::fromLocalFile(QString::fromStdString(copy.value().string())));
        });
}

void ReviewModel::closePreview()
{
    ++m_openGeneration;
    m_previewPath.clear();
    m_previewLines.clear();
    m_previewWidth = 0;
    m_previewTruncated = false;
    emit previewChanged();
}

int ReviewModel::findLine(const QString& text, int line) const
{
    const int count = static_cast<int>(m_previewLines.size());
    if (text.isEmpty() || count == 0) return -1;
    const int start = std::clamp(line, -1, count - 1);
    for (int step = 1; step <= count; ++step) {
        const int at = (start + step) % count;
        if (m_previewLines[at].contains(text, Qt::CaseInsensitive)) return at;
    }
    return -1;
}

}  // namespace tarvix::app
