#include "config/measurement.h"

#include "config/main_window_model.h"
#include "config/messages.h"
#include "config/text_util.h"
#include "link/link.h"
#include "model/code_tables.h"
#include "model/input_types.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

// The "ReadPV" request is exactly this long; the pad and CRC after it are not shown.
constexpr std::size_t kShownRequestBytes = 12;

}  // namespace

Measurement::Measurement(MainWindowModel& model)
    : m_(model), self_(std::make_shared<Measurement*>(this)) {}

Measurement::~Measurement() = default;

QString Measurement::ByteToHex(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char digits[] = {kDigits[b >> 4], kDigits[b & 0x0F]};
    return QString::fromLatin1(digits, 2);
}

QString Measurement::HexBytes(std::span<const std::uint8_t> bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size() * 3));
    for (std::uint8_t b : bytes)
        text += ByteToHex(b) + QLatin1Char(' ');
    return text;
}

int Measurement::Decimals(const QString& inputType, const QString& linearization) {
    const model::InputTypeInfo* type = model::FindInputType(utf8(inputType));
    if (!type)
        return 3;
    switch (type->group) {
        case model::InputGroup::Voltage:
        case model::InputGroup::VoltageDifference:
            return 6;
        case model::InputGroup::Thermocouple:
            return linearization == q(model::kLinBuiltIn) ? 3 : 6;
        default:
            return 3;
    }
}

QString Measurement::FormatValue(float value, int decimals) {
    if (!std::isfinite(value))
        return {};
    // QString::number ignores the locale: always a full stop. At least three characters.
    return QString::number(static_cast<double>(value), 'f', decimals).rightJustified(3, u' ');
}

std::optional<float> Measurement::measure() {
    lastValue_ = measureOnce();
    return lastValue_;
}

std::optional<float> Measurement::measureOnce() {
    MainForm& f = m_.form;
    f.ZoZmHodn.setText(QString());
    link::DeviceAccess& device = m_.device();
    failure_.clear();
    const auto pv = device.readPv();
    // Shown whether or not the transaction succeeded.
    const std::vector<std::uint8_t>& request = device.lastRequest();
    f.EdSend.setText(
        HexBytes(std::span(request).first(std::min(request.size(), kShownRequestBytes))));
    if (!pv) {
        failure_.record(pv.failure());
        return std::nullopt;  // the previous reply stays in `EdReceive`
    }
    const QString text = FormatValue(pv->value, Decimals(f.Vstup.text, f.Linearizace.text));
    if (text.isEmpty()) {
        m_.prompts().message(kMsgBadPvReply);
        return std::nullopt;
    }
    f.ZoZmHodn.setText(text);
    f.EdReceive.setText(HexBytes(pv->replyFrame));
    return pv->value;
}

Outcome Measurement::ButMeasPVClick() {
    return measure() ? Outcome::Completed : Outcome::Stopped;
}

Outcome Measurement::Start_MerClick() {
    MainForm& f = m_.form;
    stopRequest_ = false;
    f.Timer3.enabled = true;
    measurementDue_ = true;
    if (!running_) {
        running_ = true;
        ++run_;
        retryPending_ = false;
        scheduleTick();
    }
    trend_.start(m_.device().link().clock().now(), f.Label8.caption.trimmed(),
                 Decimals(f.Vstup.text, f.Linearizace.text), m_.settings().decimalSeparator);
    if (measuring_)
        return Outcome::Completed;
    measureContinuous();
    const std::vector<TrendSample>& samples = trend_.samples();
    return !samples.empty() && samples.back().value ? Outcome::Completed : Outcome::Stopped;
}

void Measurement::Stop_merClick() {
    stopRequest_ = true;
    if (running_ && !measuring_)
        finish();
}

void Measurement::Timer3Timer() {
    if (m_.form.Timer3.enabled)
        measurementDue_ = true;
}

void Measurement::measureContinuous() {
    measuring_ = true;
    const std::optional<float> value = measure();
    trend_.add(m_.device().link().clock().now(),
               value ? std::optional<double>(*value) : std::nullopt);
    // A tick that came meanwhile is lost.
    measurementDue_ = false;
    measuring_ = false;
    if (stopRequest_)
        finish();
    m_.notifyChanged();
}

void Measurement::scheduleTick() {
    m_.device().link().clock().schedule(kTickInterval,
                                        [alive = std::weak_ptr<Measurement*>(self_), run = run_] {
                                            const auto self = alive.lock();
                                            if (!self || (*self)->run_ != run || !(*self)->running_)
                                                return;
                                            Measurement& me = **self;
                                            me.scheduleTick();
                                            me.Timer3Timer();
                                            me.serve();
                                        });
}

void Measurement::scheduleRetry() {
    if (retryPending_)
        return;
    retryPending_ = true;
    m_.device().link().clock().schedule(kRetryInterval,
                                        [alive = std::weak_ptr<Measurement*>(self_), run = run_] {
                                            const auto self = alive.lock();
                                            if (!self || (*self)->run_ != run)
                                                return;
                                            (*self)->retryPending_ = false;
                                            (*self)->serve();
                                        });
}

bool Measurement::otherOperationRunning() const {
    return m_.handlerRunning() || m_.device().link().busy();
}

void Measurement::serve() {
    if (!running_ || measuring_)
        return;
    if (stopRequest_) {
        finish();
        m_.notifyChanged();
        return;
    }
    if (!measurementDue_)
        return;
    if (otherOperationRunning()) {
        scheduleRetry();
        return;
    }
    measureContinuous();
}

void Measurement::finish() {
    running_ = false;
    measurementDue_ = false;
    retryPending_ = false;
    ++run_;
    m_.form.Timer3.enabled = false;
}

}  // namespace veld::config
