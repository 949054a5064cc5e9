#pragma once

#include <QtQml/qqmlregistration.h>

#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "core/package/FilePreview.h"
#include "core/package/ShareList.h"

namespace tarvix::app {

class SessionController;

/// The review of what a share sends: the files pruning would leave, which of them the user leaves
/// out, whether names are hidden, and the file opened for reading. The choices themselves are the
/// session controller's, which hands them to the packaging; this model shows and edits them.
class ReviewModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by each window's view")

    Q_PROPERTY(bool loading READ loading NOTIFY listChanged)
    Q_PROPERTY(bool locked READ locked NOTIFY lockedChanged)
    Q_PROPERTY(Problem problem READ problem NOTIFY problemChanged)
    Q_PROPERTY(int fileCount READ fileCount NOTIFY choicesChanged)
    Q_PROPERTY(QString totalSize READ totalSize NOTIFY choicesChanged)
    Q_PROPERTY(QString estimatedSize READ estimatedSize NOTIFY choicesChanged)
    Q_PROPERTY(bool overLimit READ overLimit NOTIFY choicesChanged)
    Q_PROPERTY(QString sizeLimit READ sizeLimit CONSTANT)
    Q_PROPERTY(bool hideIdentity READ hideIdentity WRITE setHideIdentity NOTIFY choicesChanged)
    Q_PROPERTY(QString hiddenNamesFile READ hiddenNamesFile NOTIFY listChanged)
    /// More to hide, comma-separated ("Acme, Project Falcon"): this session only.
    Q_PROPERTY(QString extraWords READ extraWords WRITE setExtraWords NOTIFY choicesChanged)
    /// The file open in the viewer ("" when none), its lines, the longest line's length and
    /// whether only its start is shown. Lines, not one text: a list lays out only what is on screen,
    /// where a text area would lay out all 4 MiB at once.
    Q_PROPERTY(QString previewPath READ previewPath NOTIFY previewChanged)
    Q_PROPERTY(QStringList previewLines READ previewLines NOTIFY previewChanged)
    Q_PROPERTY(int previewWidth READ previewWidth NOTIFY previewChanged)
    Q_PROPERTY(bool previewTruncated READ previewTruncated NOTIFY previewChanged)
    Q_PROPERTY(QString previewLimit READ previewLimit CONSTANT)

public:
    /// What the review tells the user it could not do.
    enum class Problem { none, everythingLeftOut, listFailed, openFailed };
    Q_ENUM(Problem)
    /// UnsearchableRole: with names hidden the file is left out whatever its box says (compressed).
    enum Role { PathRole = Qt::UserRole + 1, SizeRole, IncludedRole, UnsearchableRole };

    ReviewModel(std::shared_ptr<SessionController> controller, QObject* parent = nullptr);
    ~ReviewModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool loading() const { return m_loading; }
    bool locked() const { return m_locked; }
    Problem problem() const { return m_problem; }
    int fileCount() const;
    QString totalSize() const;
    QString estimatedSize() const;
    bool overLimit() const;
    QString sizeLimit() const;
    bool hideIdentity() const { return choices().hideIdentity; }
    void setHideIdentity(bool hide);
    QString hiddenNamesFile() const { return m_hiddenNamesFile; }
    QString extraWords() const;
    void setExtraWords(const QString& text);
    QString previewPath() const { return m_previewPath; }
    QStringList previewLines() const { return m_previewLines; }
    int previewWidth() const { return m_previewWidth; }
    bool previewTruncated() const { return m_previewTruncated; }
    QString previewLimit() const;

    /// Lists the session's files off the interface thread (again while the share has not packaged).
    Q_INVOKABLE void load();
    /// Ticks or clears a file's box; clearing the last file of the target is refused.
    Q_INVOKABLE void setIncluded(int row, bool included);
    /// Text into the viewer; anything else opens as a copy with the desktop's default application.
    Q_INVOKABLE void openFile(int row);
    Q_INVOKABLE void closePreview();
    /// The first line after `line` (from the top again past the end) that holds `text`, ignoring
    /// case; -1 when none does.
    Q_INVOKABLE int findLine(const QString& text, int line) const;

    /// Once the share has packaged, the choices are what was sent and no longer change.
    void setLocked(bool locked);

signals:
    void listChanged();
    void lockedChanged();
    void problemChanged();
    void choicesChanged();
    void previewChanged();

private:
    void listLoaded(std::uint64_t generation, const Result<ShareList>& list);
    const ShareChoices& choices() const;
    void choicesApplied();
    void setProblem(Problem problem);
    void showPreview(const QString& path, const Result<FilePreview>& preview);
    void openCopy(const std::string& path);

    std::shared_ptr<SessionController> m_controller;
    ShareList m_list;
    bool m_loading = false;
    bool m_loaded = false;
    bool m_locked = false;
    Problem m_problem = Problem::none;
    QString m_hiddenNamesFile;
    /// Number the loads and the opens; only the latest one's answer is shown.
    std::uint64_t m_loadGeneration = 0;
    std::uint64_t m_openGeneration = 0;
    QString m_previewPath;
    QStringList m_previewLines;
    int m_previewWidth = 0;
    bool m_previewTruncated = false;
};

}  // namespace tarvix::app
