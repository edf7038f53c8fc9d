#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

IEffect::~IEffect() = default;
IOneInputEffect::~IOneInputEffect() = default;
ITwoInputEffect::~ITwoInputEffect() = default;
IOneInputEffectVideo::~IOneInputEffectVideo() = default;
ITwoInputEffectVideo::~ITwoInputEffectVideo() = default;

const char* const ImplNames::NAME = "ImplName";
const char* const ImplNames::DEFAULT = "Default";
const char* const ImplNames::GMIC = "GMIC";
const char* const ImplNames::OPENCV = "OpenCV";
const char* const ImplNames::ZENTOR = "Zentor";

}  // namespace Proc
}  // namespace Zentor
