#include "SheetImages.h"

#include "Words.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>

#include <atomic>
#include <thread>

namespace {

// fontconfig maps no "宋体" to a CJK face here, so the faces are named.
const QString kPrintFace = QStringLiteral("Noto Serif CJK SC");
const QString kHandFace = QStringLiteral("Noto Sans CJK SC");
const QColor kInk(20, 40, 140);

const QStringList& answerSnippets(const QString& subjectId) {
    static const QStringList chinese{
        QStringLiteral("父亲的背影让我感动"),     QStringLiteral("蹒跚地走到铁道边"),
        QStringLiteral("朴实的语言表达深沉的爱"), QStringLiteral("我的泪很快地流下来了"),
        QStringLiteral("床前明月光疑是地上霜"),   QStringLiteral("举头望明月低头思故乡"),
        QStringLiteral("采菊东篱下悠然见南山"),   QStringLiteral("海内存知己天涯若比邻"),
        QStringLiteral("细节描写突出人物形象"),   QStringLiteral("成长需要经历风雨"),
        QStringLiteral("那一年我学会了坚持"),     QStringLiteral("妈妈的手温暖而粗糙"),
        QStringLiteral("每一步都留下足迹"),       QStringLiteral("这件事让我明白了责任")};
    static const QStringList math{QStringLiteral("3x = 20 - 5"),
                                  QStringLiteral("x = 5"),
                                  QStringLiteral("= 4ab"),
                                  QStringLiteral("a² + 2ab + b² - a² + 2ab - b²"),
                                  QStringLiteral("f(x) = (x - 2)² - 1"),
                                  QStringLiteral("当 x = 2 时 最小值为 -1"),
                                  QStringLiteral("过A作BC的平行线"),
                                  QStringLiteral("内错角相等"),
                                  QStringLiteral("∠1 + ∠2 + ∠3 = 180°"),
                                  QStringLiteral("证毕"),
                                  QStringLiteral("x = 15 / 3"),
                                  QStringLiteral("对称轴 x = 2")};
    return subjectId == QLatin1String("02") ? math : chinese;
}

// Handwriting: each character slightly rotated, scaled and shifted.
void handwrite(QPainter& p, QRandomGenerator& rng, const QString& text, QPointF at, int size) {
    QFont font(kHandFace);
    for (const QChar c : text) {
        const int px = size + int(rng.bounded(7)) - 3;
        font.setPixelSize(px);
        p.setFont(font);
        p.save();
        p.translate(at.x(), at.y() + rng.bounded(7) - 3);
        p.rotate(rng.bounded(10.0) - 5.0);
        p.drawText(QPointF(0, 0), QString(c));
        p.restore();
        at.rx() += (c.unicode() < 128 ? px * 0.6 : px * 1.05) + rng.bounded(5);
    }
}

// A wobbly stroke, as a pen drawn by hand.
void scribble(QPainter& p, QRandomGenerator& rng, QPointF from, QPointF to) {
    QPainterPath path(from);
    const int steps = 6;
    for (int i = 1; i <= steps; ++i) {
        const QPointF point = from + (to - from) * (double(i) / steps);
        path.lineTo(point + QPointF(rng.bounded(5.0) - 2.5, rng.bounded(5.0) - 2.5));
    }
    p.drawPath(path);
}

void printWrapped(QPainter& p, const QRect& box, const QString& text, int pixelSize) {
    QFont font(kPrintFace);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.drawText(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
}

quint32 seedFor(const layout::Subject& subject, const layout::Student& student, int page) {
    return quint32(2654435761u * quint32(student.index + 1) + 97u * quint32(page) +
                   7919u * quint32(subject.id.toInt()));
}

void drawRegionAnswer(QPainter& p, QRandomGenerator& rng, const layout::Subject& subject,
                      const layout::Region& region) {
    p.setPen(QPen(QColor(120, 120, 120), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(region.rect.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    printWrapped(p, region.rect.adjusted(16, 12, -16, -12), region.text, 24);

    // Ruled answer lines under the question text.
    const int firstLine = region.rect.top() + 110;
    p.setPen(QPen(QColor(190, 190, 190), 1));
    for (int y = firstLine; y < region.rect.bottom() - 20; y += 60)
        p.drawLine(region.rect.left() + 20, y, region.rect.right() - 260, y);

    // Handwritten answer lines; how many and which differ per student.
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    const QStringList& snippets = answerSnippets(subject.id);
    const int available = std::max(1, (region.rect.bottom() - 20 - firstLine) / 60);
    const int lines = std::min(available, 2 + int(rng.bounded(std::max(1, available - 1))));
    for (int i = 0; i < lines; ++i) {
        QString text = snippets[rng.bounded(int(snippets.size()))];
        if (rng.bounded(3) == 0)
            text += QStringLiteral("，") + snippets[rng.bounded(int(snippets.size()))];
        const QPointF at(region.rect.left() + 30 + rng.bounded(30), firstLine + i * 60 - 8);
        handwrite(p, rng, text, at, 34);
        if (rng.bounded(5) == 0) // a crossed-out word
            scribble(p, rng, at + QPointF(0, -12), at + QPointF(90, -16));
    }
    // Now and then a sketch: a triangle in geometry, a circled answer else.
    if (subject.id == QLatin1String("02") && rng.bounded(2) == 0) {
        const QPointF base(region.rect.right() - 220, region.rect.bottom() - 40);
        scribble(p, rng, base, base + QPointF(160, 0));
        scribble(p, rng, base + QPointF(160, 0), base + QPointF(60, -140));
        scribble(p, rng, base + QPointF(60, -140), base);
    } else if (rng.bounded(3) == 0) {
        p.drawEllipse(QPointF(region.rect.left() + 80, firstLine + 20), 60, 30);
    }
}

} // namespace

SheetImages::SheetImages(const QString& dataDir, const QList<layout::Student>& students, int dpi)
    : m_dpi(dpi),
      m_imagesDir(QDir(dataDir).absoluteFilePath(dpi == layout::kLayoutDpi
                                                     ? QStringLiteral("images")
                                                     : QStringLiteral("images-%1dpi").arg(dpi))) {
    for (const layout::Student& s : students)
        m_students.insert(s.studentId, s);
}

QImage SheetImages::drawPage(const layout::Subject& subject, const layout::Student& student,
                             int page, int dpi) {
    QImage image(layout::pageSize(dpi), QImage::Format_RGB32);
    image.fill(QColor(252, 252, 249));
    QRandomGenerator rng(seedFor(subject, student, page));
    QPainter p(&image);
    // Drawn in the layout's units whatever the resolution.
    p.scale(double(dpi) / layout::kLayoutDpi, double(dpi) / layout::kLayoutDpi);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Registration marks in the corners, as on a scanned form.
    p.fillRect(30, 30, 30, 30, Qt::black);
    p.fillRect(layout::kPageWidth - 60, 30, 30, 30, Qt::black);
    p.fillRect(30, layout::kPageHeight - 60, 30, 30, Qt::black);

    p.setPen(Qt::black);
    QFont title(kPrintFace);
    title.setPixelSize(36);
    title.setBold(true);
    p.setFont(title);
    if (page == 1)
        p.drawText(QRect(0, 50, layout::kPageWidth, 60), Qt::AlignCenter, subject.title);
    QFont small(kPrintFace);
    small.setPixelSize(20);
    p.setFont(small);
    p.drawText(QRect(0, layout::kPageHeight - 50, layout::kPageWidth, 30), Qt::AlignCenter,
               QStringLiteral("第 %1 页  共 %2 页").arg(page).arg(layout::kPageCount));

    if (page == 1) {
        const QRect box = layout::kInfoBox;
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(box);
        QFont label(kPrintFace);
        label.setPixelSize(26);
        p.setFont(label);
        p.drawText(box.left() + 20, box.top() + 55, QStringLiteral("姓名："));
        p.drawText(box.left() + 20, box.top() + 125, QStringLiteral("学号："));
        p.drawText(box.left() + 20, box.top() + 195, QStringLiteral("班级："));
        QString className;
        for (const auto& [id, name] : layout::classes())
            if (id == student.classId)
                className = name;
        p.setPen(QPen(kInk, 3));
        handwrite(p, rng, student.name, QPointF(box.left() + 120, box.top() + 58), 38);
        handwrite(p, rng, student.studentId, QPointF(box.left() + 120, box.top() + 128), 36);
        handwrite(p, rng, className, QPointF(box.left() + 120, box.top() + 198), 34);
        p.setPen(Qt::black);
        p.setFont(small);
        p.drawText(
            QRect(box.right() + 40, box.top(), 400, box.height()), Qt::TextWordWrap,
            QStringLiteral(
                "注意事项：\n1. 答题前请将姓名、学号填写清楚。\n2. 请在各题规定的区域内作答。"));
    }

    for (const layout::Question& q : layout::questions()) {
        if (q.subjectId != subject.id)
            continue;
        for (const layout::Region& r : q.regions)
            if (r.page == page)
                drawRegionAnswer(p, rng, subject, r);
    }
    p.end();
    return image;
}

static bool saveJpeg(const QImage& image, const QString& target) {
    QDir().mkpath(QFileInfo(target).absolutePath());
    // Written whole and then renamed, so a reader never sees half a picture.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!image.save(&file, "JPEG", 80))
        return false;
    return file.commit();
}

bool SheetImages::produce(const QStringList& parts, const QString& target) {
    // <subject>\<folder>\<id>_<n>.jpg  or  <subject>\info\<folder>\<id>_<n>F.jpg, each
    // picture under exactly one name: "_01.jpg", "_001.jpg" or ".JPG" name no
    // picture of the exam, and drawing and storing each of them would let
    // any client fill the disk.
    static const QRegularExpression pageName(QStringLiteral("^(.+)_([1-9]\\d{0,8})(F?)\\.jpg$"));
    const bool sheetForm = parts.size() == 4 && parts[1] == QLatin1String("info");
    if (parts.size() != 3 && !sheetForm)
        return false;
    const QRegularExpressionMatch m = pageName.match(parts.last());
    if (!m.hasMatch() || (m.captured(3) == QLatin1String("F")) != sheetForm)
        return false;
    const layout::Subject* subject = layout::findSubject(parts[0]);
    const auto student = m_students.constFind(m.captured(1));
    if (!subject || student == m_students.cend())
        return false;
    const QString folder =
        student->studentId.mid(layout::kStudentFolderStart - 1, layout::kStudentFolderLength);
    if (parts[sheetForm ? 2 : 1] != folder)
        return false;
    bool custom = false; // only a subject with custom cuts has full sheets under info
    for (const layout::Question& q : layout::questions())
        custom = custom || (q.subjectId == subject->id && q.cutMode == words::kCutModeCustom);
    const int n = m.captured(2).toInt();
    if (n >= 1 && n <= layout::kPageCount) {
        if (sheetForm && !custom)
            return false;
        return saveJpeg(drawPage(*subject, *student, n, m_dpi), target);
    }
    if (sheetForm)
        return false;
    // A ready-cut region image: the region cut out of its page.
    for (const layout::Question& q : layout::questions()) {
        if (q.subjectId != subject->id || q.cutMode == words::kCutModeAutomatic)
            continue;
        for (const layout::Region& r : q.regions)
            if (r.imageNo == n)
                return saveJpeg(
                    drawPage(*subject, *student, r.page, m_dpi).copy(layout::scaled(r.rect, m_dpi)),
                    target);
    }
    return false;
}

SheetImages::Lookup SheetImages::lookup(const QString& fileValue) {
    const QString prefix = layout::kImageRoot + QLatin1Char('\\');
    if (!fileValue.startsWith(prefix, Qt::CaseInsensitive))
        return {403, QString(),
                QStringLiteral("图像路径不在图像根目录 %1 之下").arg(layout::kImageRoot)};
    const QStringList parts =
        fileValue.mid(prefix.size()).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String(".") ||
            part.contains(QLatin1Char('/')) || part.contains(QLatin1Char(':')) ||
            part.contains(QChar(0)))
            return {403, QString(), QStringLiteral("图像路径不允许：%1").arg(fileValue)};
    }
    if (parts.isEmpty())
        return {403, QString(), QStringLiteral("图像路径不允许：%1").arg(fileValue)};
    const QString target =
        QDir::cleanPath(m_imagesDir + QLatin1Char('/') + parts.join(QLatin1Char('/')));
    // Belt and braces: whatever the parts were, the file must lie inside.
    if (!target.startsWith(m_imagesDir + QLatin1Char('/')))
        return {403, QString(), QStringLiteral("图像路径不允许：%1").arg(fileValue)};
    {
        std::lock_guard lock(m_drawMutex);
        if (!QFileInfo(target).isFile() && !produce(parts, target))
            return {404, QString(), QStringLiteral("没有这个图像文件：%1").arg(fileValue)};
    }
    return {200, target, QString()};
}

int SheetImages::generateAll(int threads) {
    // One unit of work per student and subject: each page is drawn once and
    // saved as a page, as its ready-cut regions and as a custom full sheet.
    struct Unit {
        const layout::Subject* subject;
        layout::Student student;
    };
    QList<Unit> units;
    for (const layout::Student& s : m_students)
        for (const layout::Subject& subject : layout::subjects())
            units.append({&subject, s});
    std::atomic<int> next{0};
    std::atomic<int> written{0};
    auto save = [&](const QImage& image, const QString& relative) {
        const QString target = m_imagesDir + QLatin1Char('/') + relative;
        if (QFileInfo(target).isFile() || saveJpeg(image, target))
            ++written;
    };
    auto worker = [&] {
        for (int i = next++; i < units.size(); i = next++) {
            const Unit& u = units[i];
            const QString folder = u.subject->id + QLatin1Char('/') +
                                   u.student.studentId.mid(layout::kStudentFolderStart - 1,
                                                           layout::kStudentFolderLength);
            const QString infoFolder = u.subject->id + QStringLiteral("/info/") +
                                       u.student.studentId.mid(layout::kStudentFolderStart - 1,
                                                               layout::kStudentFolderLength);
            bool custom = false;
            for (const layout::Question& q : layout::questions())
                custom =
                    custom || (q.subjectId == u.subject->id && q.cutMode == words::kCutModeCustom);
            for (int page = 1; page <= layout::kPageCount; ++page) {
                const QImage image = drawPage(*u.subject, u.student, page, m_dpi);
                save(image,
                     QStringLiteral("%1/%2_%3.jpg").arg(folder, u.student.studentId).arg(page));
                if (custom)
                    save(image, QStringLiteral("%1/%2_%3F.jpg")
                                    .arg(infoFolder, u.student.studentId)
                                    .arg(page));
                for (const layout::Question& q : layout::questions()) {
                    if (q.subjectId != u.subject->id || q.cutMode == words::kCutModeAutomatic)
                        continue;
                    for (const layout::Region& r : q.regions)
                        if (r.page == page)
                            save(image.copy(layout::scaled(r.rect, m_dpi)),
                                 QStringLiteral("%1/%2_%3.jpg")
                                     .arg(folder, u.student.studentId)
                                     .arg(r.imageNo));
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < std::max(1, threads); ++t)
        pool.emplace_back(worker);
    for (auto& t : pool)
        t.join();
    return written;
}
