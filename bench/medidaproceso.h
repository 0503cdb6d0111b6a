#pragma once

#include <QFile>
#include <QStringList>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

// A benchmark's child program, measured from outside: the peak memory the system counted for it.
class MedidaProceso {
public:
    // Runs `programa` with its standard output into the file `salida`; its peak resident memory
    // in MB, or -1 when it could not run or failed.
    static double Pico(const QStringList& programa, const QString& salida) {
        std::vector<QByteArray> args;
        for (const QString& a : programa)
            args.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t acciones;
        posix_spawn_file_actions_init(&acciones);
        posix_spawn_file_actions_addopen(&acciones, 1, QFile::encodeName(salida).constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        const int r = posix_spawnp(&pid, argv[0], &acciones, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&acciones);
        if (r != 0)
            return -1;
        int estado = 0;
        rusage uso{};
        if (wait4(pid, &estado, 0, &uso) != pid || !WIFEXITED(estado) || WEXITSTATUS(estado) != 0)
            return -1;
        return double(uso.ru_maxrss) / 1024.0; // kilobytes on Linux
    }
};
