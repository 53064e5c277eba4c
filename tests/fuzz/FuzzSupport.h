#pragma once
// What the fuzz harnesses share: reading structured values out of the fuzz
// input, the one-time set-up (an offscreen application, Qt's own warnings and
// the program's message boxes silenced) and a check that stops the run.
//
// Each harness is built twice: with clang's libFuzzer (scripts/fuzz.sh) and,
// with the normal compiler, as a ctest case that runs every checked-in seed
// and regression input once (RegressionMain.cpp).

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Consumes the input front to back; reads past its end give zeros.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    bool flag() { return byte() & 1; }
    // 0 .. n - 1 (n >= 1).
    int below(int n) { return int(byte() % unsigned(n)); }
    int32_t int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return int32_t(v);
    }
    // Mostly small numbers near the pictures, now and then any 32-bit value.
    int32_t coordinate() { return byte() < 224 ? int32_t(int(byte()) * 8 - 256) : int32(); }
    double number() {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        double d = 0;
        static_assert(sizeof d == sizeof v);
        __builtin_memcpy(&d, &v, sizeof d);
        return d;
    }
    // A piece of at most `max` bytes; its length is read first.
    QByteArray bytes(int max) {
        const int n = below(max + 1);
        QByteArray out;
        for (int i = 0; i < n && !empty(); ++i)
            out.append(char(byte()));
        return out;
    }
    QByteArray rest() {
        const QByteArray out(reinterpret_cast<const char*>(m_data + m_pos),
                             qsizetype(m_pos < m_size ? m_size - m_pos : 0));
        m_pos = m_size;
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Once per process: an offscreen QGuiApplication, Qt's warnings dropped (a
// fuzzer makes millions of broken replies), message boxes recorded nowhere.
void PrepareFuzzing();

// Stops the run with a message: a property the harness checks did not hold.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__,          \
                         __LINE__);                                                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
