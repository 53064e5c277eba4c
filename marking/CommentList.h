#pragma once
// The canned comments of the comment tool and their file Comment.TXT: GBK
// text, one comment per line, every line ended by CR LF, the whole file
// replaced on each write. A file an editor saved as UTF-8 is read as such.

#include <QString>
#include <QStringList>

namespace marking {

// The lines of the comment file; an empty list when it is missing or
// cannot be read. A file that starts with a UTF-8 byte-order mark, or whose
// bytes are valid UTF-8 with a character from U+0800 up (as UTF-8 Chinese
// has), is read as UTF-8; any other as GBK.
QStringList ReadCommentFile(const QString& path);

// Replaces the comment file with `comments` in GBK, one per line, each
// ended by CR LF, written atomically (a failed write leaves the old file
// whole). A line break inside a comment would split it into two lines, so
// CR and LF are left out of each line. Returns false without writing when
// the file would not read back line for line (a character GBK cannot hold;
// the user is told which comment), or when the file cannot be written (told
// once per session, ReportLocalFileWriteFailure). The list in the window
// keeps its items either way.
bool WriteCommentFile(const QString& path, const QStringList& comments);

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
