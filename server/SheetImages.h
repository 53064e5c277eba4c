#pragma once
// Sample answer sheets: page images drawn with QPainter from the demo exam
// layout, with printed questions, an information box and handwriting that
// differs per student. Pictures are drawn on first request and kept in the
// data folder, so start-up stays fast and later requests read the file.

#include "ExamLayout.h"

#include <QHash>
#include <QImage>
#include <QString>

#include <mutex>

class SheetImages {
public:
    // `dataDir` holds the "images" folder (pictures at another resolution
    // than the layout's in "images-<dpi>dpi"); `students` by student id.
    SheetImages(const QString& dataDir, const QList<layout::Student>& students,
                int dpi = layout::kLayoutDpi);

    struct Lookup {
        int status = 200; // 200, or the refusal's HTTP status
        QString filePath; // local file to send when status is 200
        QString reason;   // why it was refused
    };
    // Maps a backslash path under the image root to a local file, drawing the
    // picture first when it is one of the sample sheets and not there yet.
    // Refuses "..", absolute parts and anything outside the images folder.
    Lookup lookup(const QString& fileValue);

    // Draws every picture of every student with `threads` workers; returns
    // the number of pictures written.
    int generateAll(int threads);

    // One page (1-based) of a student's answer sheet in a subject, A4 at
    // `dpi`.
    static QImage drawPage(const layout::Subject& subject, const layout::Student& student, int page,
                           int dpi = layout::kLayoutDpi);

    QString imagesDir() const { return m_imagesDir; }
    int dpi() const { return m_dpi; }

private:
    // Draws the picture a path names, if it names one; false otherwise.
    bool produce(const QStringList& parts, const QString& target);

    int m_dpi;
    QString m_imagesDir;
    QHash<QString, layout::Student> m_students;
    std::mutex m_drawMutex;
};
