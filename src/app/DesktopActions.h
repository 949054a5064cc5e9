#pragma once

#include <QString>
#include <QUrl>
#include <filesystem>

namespace tarvix::app {

/// Opens a file-manager window showing `folder`: the desktop's FileManager1 service over D-Bus,
/// else whatever handles the folder's file URL. Reports nothing.
void showFolderInFileManager(const std::filesystem::path& folder);
/// Replaces the clipboard's content with `text` as plain text.
void copyToClipboard(const QString& text);
/// The clipboard's plain text, untouched.
QString clipboardText();
/// Hands `url` to the user's default handler; the result is not checked.
void openWithDefaultHandler(const QUrl& url);

}  // namespace tarvix::app
