#pragma once
// The canned comments of the comment tool and their file Comment.TXT: GBK
// text, one comment per line, every line ended by CR LF, the whole file
// replaced on each write.

#include <QString>
#include <QStringList>

namespace marking {

// The lines of the comment file; an empty list when it is missing or
// cannot be read.
QStringList ReadCommentFile(const QString& path);

// Replaces the comment file with `comments`, one per line, each ended by
// CR LF, written atomically (a failed write leaves the old file whole).
// A line break inside a comment would split it into two lines, so CR and
// LF are left out of each line. Throws EAppError when the file cannot be
// written.
void WriteCommentFile(const QString& path, const QStringList& comments);

// True when `comments` holds `text`, letter case ignored.
bool ContainsComment(const QStringList& comments, const QString& text);

// The text a comment gets on the paper. The tag separates records by "!"
// and fields by ";" and its reader treats quotation marks as quoting and CR
// and LF as separators, so these would corrupt every later mark of the
// paper: "!" ";" and the ASCII quotation marks become their full-width
// forms, CR and LF are dropped, and the ends are trimmed (the tag writer
// trims anyway). "|", "$" and "&" separate the turns of a paper's history
// and their fields, so they become full-width too. An empty result means
// there is nothing to put.
QString SanitizeComment(const QString& text);

} // namespace marking
