#pragma once
// The folder of attached documents, shared by every registry card, and copying a document into it.
#include <QString>

/// "Documenti_Allegati" in `programFolder` (which ends with '/'), without a trailing separator.
QString AttachmentsFolder(const QString& programFolder);

/// Copies `source` into `folder` under its own file name, replacing a file of that name. The copy is
/// written under a temporary name and renamed when complete, so a failure (unreadable source, full disk)
/// leaves any earlier file of that name as it was and no half-written one. Copying a file onto itself
/// succeeds without touching it. False, with `error`, on failure.
bool CopyAttachment(const QString& source, const QString& folder, QString* error = nullptr);

/// The quoted full path of the attachment `name` that the shell opener receives.
QString AttachmentShellPath(const QString& programFolder, const QString& name);
