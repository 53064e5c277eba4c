#pragma once
// The demo exam: subjects, the answer-sheet layout of each subject, the
// question groups with their regions and sub-questions, classes, students,
// users and permissions. The database is seeded from it and the sample
// answer sheets are drawn from it, so regions always match the pictures.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace layout {

// A4 at 150 dpi: the resolution every position of the layout is given in.
constexpr int kLayoutDpi = 150;
constexpr int kPageWidth = 1240;
constexpr int kPageHeight = 1754;
constexpr int kPageCount = 3;
// The information box on page 1 of every sheet: left, top, width, height.
constexpr QRect kInfoBox{80, 130, 640, 230};
// Every image path on the wire starts with this root; the server maps it to
// its data folder.
inline const QString kImageRoot = QStringLiteral("D:\\demo");
// The student folder is the class part of the student id ("26" + class + seq).
constexpr int kStudentFolderStart = 3;
constexpr int kStudentFolderLength = 2;

struct SubQuestion {
    QString id;
    QString name;
    double lowest;
    double highest;
    int posX; // on the composed answer image
    int posY;
};

struct Region {
    int page;     // 1-based page image
    QRect rect;   // on the page image
    int imageNo;  // number of the ready-cut image (ready-cut groups)
    QString text; // question text printed at the top of the region
};

struct Question {
    QString questionId; // subject id + group number
    QString subjectId;
    QString name;
    double lowest;
    double full;
    double step;
    QString cutMode;
    QList<Region> regions;
    QList<SubQuestion> subQuestions;
    QString markDesc;
};

struct Subject {
    QString id;
    QString name;
    QString title; // printed at the top of each page
};

struct Permission {
    QString permissionId; // question id + two-digit turn
    QString questionId;
    int turn;
    QString markingMode;
    QString name;
};

struct User {
    QString userId;
    QString password;
    QString name;
    bool enabled;
    // permission id -> MarkConfig
    QList<QPair<QString, QString>> permissions;
};

struct Student {
    QString studentId;
    QString name;
    QString classId;
    int index; // 0-based, drives the deterministic drawing
};

const QList<Subject>& subjects();
const QList<QPair<QString, QString>>& classes(); // id, name
const QList<Question>& questions();
const QList<Permission>& permissions();
const QList<User>& users();
QList<Student> students(int count);

const Question* findQuestion(const QString& questionId);
const Subject* findSubject(const QString& subjectId);

// Size of the answer image composed from a question's regions: stacked top
// to bottom, as wide as the widest region.
QSize composedSize(const Question& question);

// The pages drawn at another resolution: an A4 page in pixels, and a
// rectangle of the layout (right and bottom edges scaled as such, so
// regions that touch keep touching).
QSize pageSize(int dpi);
QRect scaled(const QRect& rect, int dpi);

// Wire forms of the marking parameters. The regions are those of pages drawn
// at `dpi`; sub-question positions stay in the layout's units.
QString cutWire(const Question& question, int dpi = kLayoutDpi);
QString subQuestionWire(const Question& question);

// Deterministic scores and tag of a seeded earlier marking: one score text
// per sub-question and a few marks, in the tag format of the marking client.
struct SeededMarking {
    double total;
    QString submarks;
    QString tag;
};
SeededMarking seededMarking(const Question& question, int studentIndex, int turn);

// The student ids that receive seeded turn-1 (and some turn-2) markings.
bool hasSeededTurn(const Student& student, int turn);
// The question whose papers carry seeded earlier turns, and its marker.
inline const QString kSeededQuestion = QStringLiteral("0101");
inline const QString kSeedMarker = QStringLiteral("t03");

} // namespace layout
