#include "report.h"

#include <ostream>

namespace nimra::bake {

int printMusicReport(const std::string& mp3Path, std::ostream& out) {
    out << "bake: no report yet for " << mp3Path << "\n";
    return 1;
}

}  // namespace nimra::bake
