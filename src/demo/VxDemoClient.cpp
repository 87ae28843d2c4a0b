#include "demo/VxDemoClient.h"

#include <cmath>
#include <variant>

#include "framework/VxApplication.h"
#include "base/VxProperties.h"
#include "base/VxTypes.h"

IVxDemoRegistry *DemoRegistry() {
  TVxApplication *application = Application();
  return application ? application->Find<IVxDemoRegistry>() : nullptr;
}

QString DemoParamText(const TVxProperties &params, int32_t index) {
  const TVxVariant value = params.GetVariant(index);
  if (const auto *text = std::get_if<std::string>(&value)) return QString::fromStdString(*text);
  if (const auto *number = std::get_if<int32_t>(&value)) return QString::number(*number);
  if (const auto *real = std::get_if<double>(&value)) return QString::number(*real);
  return {};
}

bool DemoParamNumber(const TVxProperties &params, int32_t index, int32_t &number) {
  const TVxVariant value = params.GetVariant(index);
  if (const auto *integer = std::get_if<int32_t>(&value)) {
    number = *integer;
    return true;
  }
  if (const auto *real = std::get_if<double>(&value); real && std::isfinite(*real)) {
    number = static_cast<int32_t>(RoundHalfEven(*real));
    return true;
  }
  return false;
}
