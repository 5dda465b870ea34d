#include "dynamics/dynamicsfile.h"

#include <cerrno>
#include <optional>
#include <set>

#include "base/contenthash.h"
#include "base/messages.h"
#include "base/posixio.h"
#include "base/versionedsave.h"
#include "dynamics/dynamicsjson.h"

namespace kelm {

namespace {

constexpr std::size_t kMaxProblemLines = 12;

// The paths whose last load found a file of a later version: they are never written.  (What
// else a save needs to know of the path, versionedsave keeps.)
std::set<std::string>& NewerFiles() {
    static std::set<std::string> paths;
    return paths;
}

// Why a file could not be read, for a person.  (Why one could not be written, the one save
// says.)
std::string ReadFailure(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "нет прав на чтение";
        case EISDIR:
            return "под этим именем папка";
        case EINVAL:
            return "под этим именем не обычный файл";
        default:
            return "ошибка чтения (код " + std::to_string(error) + ")";
    }
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
    NewerFiles().erase(path);
    std::string bytes;
    if (const int error = posixio::ReadFile(path, bytes); error != 0) {
        if (error == ENOENT) {
            NoteFileLoad(path, FileVersion::Missing(), true);
            return SampleDynamics();
        }
        // Something is there that we could not read: the first save keeps it.
        NoteFileLoad(path, std::nullopt, false);
        Tell("Не удалось прочитать файл двигателей и автомобилей " + path + ": " +
                 ReadFailure(error) + ".",
             MessageIcon::Error);
        return {};
    }
    DynamicsRead read = ReadDynamicsText(bytes);
    NoteFileLoad(path, FileVersion::Of(bytes), read.Problems.empty());
    if (read.Newer()) {
        NewerFiles().insert(path);
        std::string text = "Файл двигателей и автомобилей " + path +
                           " записан более новой версией Kelm (версия файла " +
                           std::to_string(read.Version) +
                           "). Прочитано то, что понимает эта версия; записывать этот файл она "
                           "не будет, чтобы не потерять данные новой версии, поэтому изменения "
                           "двигателей, автомобилей и выбора расчёта не сохранятся.";
        if (!read.Problems.empty()) text += "\nНе прочитано:" + ProblemList(read.Problems);
        Tell(text, MessageIcon::None);
    } else if (!read.Problems.empty()) {
        Tell("Файл двигателей и автомобилей " + path +
                 " прочитан не весь:" + ProblemList(read.Problems) +
                 "\nОстальное загружено. Прежде чем записать этот файл, программа сохранит его "
                 "нынешнее содержимое в файле " +
                 BackupPath(path, 0) + ".",
             MessageIcon::Error);
    }
    return std::move(read.Data);
}

bool SaveDynamics(const DynamicsData& data, const std::string& path) {
    if (NewerFiles().contains(path)) return false;
    if (auto problem = DataProblem(data)) {
        Tell("Файл двигателей и автомобилей " + path + " не сохранён: " + *problem + ".",
             MessageIcon::Error);
        return false;
    }
    const VersionedSaveResult saved = SaveVersionedFile(path, DynamicsText(data));
    if (saved.backupReason == BackupReason::ChangedOnDisk) {
        Tell(
            "Файл двигателей и автомобилей был изменён другой программой. Его прежнее "
            "содержимое сохранено в файле " +
                saved.backup + ".",
            MessageIcon::None);
    } else if (saved.backupReason == BackupReason::IncompleteLoad) {
        Tell("Прежнее содержимое файла двигателей и автомобилей сохранено в файле " + saved.backup +
                 ": в нём были записи, которые не удалось прочитать.",
             MessageIcon::None);
    }
    if (saved.error != 0) {
        Tell("Не удалось сохранить файл двигателей и автомобилей " + path + ": " + saved.failure +
                 ".",
             MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace kelm
