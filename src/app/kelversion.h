#pragma once

#include <QString>

// The program's version, as the build gives it (the project version in CMakeLists.txt).
class kelVersion {
public:
    static int Mayor();
    static int Menor();
    static int Revision();
    // "1.0.6".
    static QString Texto();
    // The identification of the running program: the SHA-256, in lower-case hexadecimal, of its
    // executable file, as weighing software shows it; empty when the file cannot be read.
    static QString HuellaPrograma();
};
