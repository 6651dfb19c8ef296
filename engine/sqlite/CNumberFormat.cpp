#include "engine/sqlite/CNumberFormat.h"

#include <cmath>
#include <cstdio>

namespace {

struct Model {
    bool fillMode = false;
    std::string integerPart;   // '9', '0' and ',' before the point
    std::string fractionPart;  // '9' and '0' after the point
    bool hasPoint = false;
};

bool ParseModel(std::string_view format, Model& model) {
    std::size_t i = 0;
    if (format.size() >= 2 && (format[0] == 'F' || format[0] == 'f') &&
        (format[1] == 'M' || format[1] == 'm')) {
        model.fillMode = true;
        i = 2;
    }
    for (; i < format.size(); ++i) {
        char c = format[i];
        if (c == '.' && !model.hasPoint) {
            model.hasPoint = true;
        } else if (c == '9' || c == '0') {
            (model.hasPoint ? model.fractionPart : model.integerPart) += c;
        } else if (c == ',' && !model.hasPoint) {
            model.integerPart += c;
        } else {
            return false;
        }
    }
    return !model.integerPart.empty() || !model.fractionPart.empty();
}

std::size_t DigitPositions(const std::string& part) {
    std::size_t n = 0;
    for (char c : part)
        if (c != ',') ++n;
    return n;
}

std::string IntegerSection(const Model& model, const std::string& digits) {
    std::size_t positions = DigitPositions(model.integerPart);
    std::size_t firstZero = model.integerPart.find('0');
    std::string out;
    std::size_t position = 0;
    bool started = false;
    for (std::size_t k = 0; k < model.integerPart.size(); ++k) {
        char c = model.integerPart[k];
        if (c == ',') {
            out += started ? ',' : ' ';
            continue;
        }
        std::size_t fromRight = positions - position++;
        if (fromRight <= digits.size()) {
            out += digits[digits.size() - fromRight];
            started = true;
        } else if (firstZero != std::string::npos && k >= firstZero) {
            out += '0';
            started = true;
        } else {
            out += ' ';
        }
    }
    return out;
}

}  // namespace

bool CNumberFormat::Format(double value, std::string_view format, std::string& out, std::string& error) {
    Model model;
    if (!ParseModel(format, model)) {
        error = "number format \"" + std::string(format) + "\" is not recognised";
        return false;
    }
    int decimals = static_cast<int>(model.fractionPart.size());
    double scaled = std::round(std::fabs(value) * std::pow(10.0, decimals));
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
    std::string all(buffer);
    if (all.size() <= static_cast<std::size_t>(decimals))
        all.insert(0, static_cast<std::size_t>(decimals) + 1 - all.size(), '0');
    std::string integerDigits = all.substr(0, all.size() - static_cast<std::size_t>(decimals));
    std::string fraction = all.substr(all.size() - static_cast<std::size_t>(decimals));
    if (integerDigits == "0" && (decimals > 0 || model.integerPart.empty())) integerDigits.clear();
    bool negative = value < 0 && scaled != 0;

    std::size_t width = format.size() - (model.fillMode ? 2 : 0) + 1;
    if (integerDigits.size() > DigitPositions(model.integerPart)) {
        out.assign(width, '#');
        return true;
    }
    std::string body = IntegerSection(model, integerDigits);
    if (model.hasPoint) body += '.' + fraction;
    out = " " + body;
    std::size_t first = out.find_first_not_of(' ');
    if (negative) out[first == std::string::npos ? out.size() - 1 : first - 1] = '-';
    if (model.fillMode) {
        while (model.hasPoint && !out.empty() && out.back() == '0' &&
               model.fractionPart[out.size() - out.rfind('.') - 2] == '9')
            out.pop_back();
        std::size_t begin = out.find_first_not_of(' ');
        out = begin == std::string::npos ? std::string() : out.substr(begin);
    }
    return true;
}
