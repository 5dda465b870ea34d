#include "dynamics/dynamicsfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <optional>

#include "base/contenthash.h"
#include "base/messages.h"
#include "base/safefile.h"
#include "dynamics/dynamicsjson.h"

namespace kelm {

namespace {

constexpr std::size_t kMaxProblemLines = 12;

// What this program knows of each dynamics path since it last read or wrote it.
struct PathState {
    std::optional<FileVersion> known;  // the version read or written; none when unknown
    bool incomplete = false;           // the load left something out: keep it before a save
    bool newer = false;                // a later version's file: never written
};

std::map<std::string, PathState>& States() {
    static std::map<std::string, PathState> states;
    return states;
}

// Why a file could not be read or written, for a person.
std::string Reason(int error) {
    switch (error) {
        case ENOENT:
            return "папка не найдена";
        case EACCES:
        case EPERM:
            return "нет прав";
        case EROFS:
            return "диск только для чтения";
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return "на диске недостаточно места";
        case EISDIR:
            return "под этим именем папка";
        case EINVAL:
            return "под этим именем не обычный файл";
        default:
            return "ошибка диска (код " + std::to_string(error) + ")";
    }
}

// The whole file; 0 or the errno value.  Only a regular file is read.
int ReadWhole(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return error;
}

void Tell(const std::string& text, MessageIcon icon) {
    AppMessages().ShowMessage(text, AppTitle(), icon);
}

std::string ProblemList(const std::vector<std::string>& problems) {
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < kMaxProblemLines; ++i) {
        text += "\n— " + problems[i];
    }
    if (problems.size() > kMaxProblemLines) {
        text += "\n— и ещё " + std::to_string(problems.size() - kMaxProblemLines);
    }
    return text;
}

}  // namespace

DynamicsData LoadDynamics(const std::string& path) {
    PathState& state = States()[path];
    state = PathState{};
    std::string bytes;
    if (const int error = ReadWhole(path, bytes); error != 0) {
        if (error == ENOENT) {
            state.known = FileVersion::Missing();
            return SampleDynamics();
        }
        // Something is there that we could not read: the first save keeps it.
        state.incomplete = true;
        Tell("Не удалось прочитать файл двигателей и автомобилей " + path + ": " + Reason(error) +
                 ".",
             MessageIcon::Error);
        return {};
    }
    state.known = FileVersion::Of(bytes);
    DynamicsRead read = ReadDynamicsText(bytes);
    if (read.Newer()) {
        state.newer = true;
        std::string text = "Файл двигателей и автомобилей " + path +
                           " записан более новой версией Kelm (версия файла " +
                           std::to_string(read.Version) +
                           "). Прочитано то, что понимает эта версия; записывать этот файл она "
                           "не будет, чтобы не потерять данные новой версии, поэтому изменения "
                           "двигателей, автомобилей и выбора расчёта не сохранятся.";
        if (!read.Problems.empty()) text += "\nНе прочитано:" + ProblemList(read.Problems);
        Tell(text, MessageIcon::None);
    } else if (!read.Problems.empty()) {
        state.incomplete = true;
        Tell("Файл двигателей и автомобилей " + path +
                 " прочитан не весь:" + ProblemList(read.Problems) +
                 "\nОстальное загружено. Прежде чем записать этот файл, программа сохранит его "
                 "нынешнее содержимое в файле " +
                 path + ".bak.",
             MessageIcon::Error);
    }
    return std::move(read.Data);
}

bool SaveDynamics(const DynamicsData& data, const std::string& path) {
    PathState& state = States()[path];
    if (state.newer) return false;
    if (auto problem = DataProblem(data)) {
        Tell("Файл двигателей и автомобилей " + path + " не сохранён: " + *problem + ".",
             MessageIcon::Error);
        return false;
    }
    const std::string text = DynamicsText(data);
    FileReplacement replacement(path, text);
    int error = replacement.Error();

    // Another program's version, or the part a load left out, is kept before the file is
    // replaced.  A file that is gone has nothing to keep; one that cannot be read now counts
    // as changed.
    bool changed = false;
    if (error == 0 && state.known) {
        const std::optional<FileVersion> now = ReadFileVersion(path);
        changed = !now || (now->exists && *now != *state.known);
    }
    const std::string backup = replacement.Target() + ".bak";
    bool kept = false;
    if (error == 0 && (changed || state.incomplete)) {
        error = KeepCopy(replacement.Target(), backup);
        kept = error == 0;
        if (error == ENOENT) error = 0;  // no old file, nothing to keep
        if (kept) {
            // That version is safe now; a failure below must not keep it twice.
            state.incomplete = false;
            if (auto now = ReadFileVersion(backup)) state.known = *now;
        }
    }
    if (error == 0) error = replacement.Commit();
    if (error == 0) state = PathState{FileVersion::Of(text), false, false};
    if (kept && changed) {
        Tell(
            "Файл двигателей и автомобилей был изменён другой программой. Его прежнее "
            "содержимое сохранено в файле " +
                backup + ".",
            MessageIcon::None);
    } else if (kept) {
        Tell("Прежнее содержимое файла двигателей и автомобилей сохранено в файле " + backup +
                 ": в нём были записи, которые не удалось прочитать.",
             MessageIcon::None);
    }
    if (error != 0) {
        Tell("Не удалось сохранить файл двигателей и автомобилей " + path + ": " + Reason(error) +
                 ".",
             MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace kelm
