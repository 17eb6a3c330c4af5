#include "engine/circuit_settings.h"

#include <cstring>
#include <initializer_list>

namespace engine {

const char* RunModelName(RunModel model)
{
    return model == RunModel::Circuit ? "circuit" : "static";
}

bool ParseRunModel(const char* name, RunModel& model)
{
    for (const RunModel m : {RunModel::QuasiStatic, RunModel::Circuit}) {
        if (std::strcmp(name, RunModelName(m)) == 0) {
            model = m;
            return true;
        }
    }
    return false;
}

} // namespace engine
