#include "engine/Edition.h"

#include "engine/ConvolutionEngine.h"
#include "engine/LiveConvolutionEngine.h"

namespace engine {

std::unique_ptr<Convolver> makeConvolver(Edition edition, ProcessEpoch& epoch)
{
    if (edition == Edition::Live)
        return std::make_unique<LiveConvolutionEngine>(epoch);
    return std::make_unique<ConvolutionEngine>(epoch);
}

const char* editionName(Edition edition) { return edition == Edition::Live ? "Live" : "Standard"; }

} // namespace engine
