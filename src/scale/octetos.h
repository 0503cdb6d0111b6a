#pragma once

#include <QByteArrayView>
#include <cstring>

// Comparisons and searches of a few bytes, written so that the compiler inlines them: the
// cutter and the decoders run them on every frame of a scale that streams.
struct Octetos {
    template <qsizetype N> static bool Igual(QByteArrayView t, const char (&s)[N]) {
        return t.size() == N - 1 && std::memcmp(t.data(), s, N - 1) == 0;
    }
    template <qsizetype N> static bool Empieza(QByteArrayView t, const char (&s)[N]) {
        return t.size() >= N - 1 && std::memcmp(t.data(), s, N - 1) == 0;
    }
    // Where `c` first stands at or after `desde`; -1 when it does not.
    static qsizetype Busca(QByteArrayView t, char c, qsizetype desde = 0) {
        if (desde >= t.size())
            return -1;
        const void* p = std::memchr(t.data() + desde, c, size_t(t.size() - desde));
        return p ? static_cast<const char*>(p) - t.data() : -1;
    }
    // Where `aguja` (not empty) first stands at or after `desde`; -1 when it does not.
    static qsizetype Busca(QByteArrayView t, QByteArrayView aguja, qsizetype desde = 0) {
        for (qsizetype i = Busca(t, aguja[0], desde); i >= 0; i = Busca(t, aguja[0], i + 1))
            if (t.size() - i >= aguja.size() &&
                std::memcmp(t.data() + i + 1, aguja.data() + 1, size_t(aguja.size() - 1)) == 0)
                return i;
        return -1;
    }
};
