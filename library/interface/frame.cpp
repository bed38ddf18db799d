// SPDX-License-Identifier: MIT
#include "frame.h"

#include "link/connection.h"
#include "link/transport.h"

namespace scriba8 {

std::int32_t ResultForConnection(LinkCode code) {
    switch (code) {
    case LinkCode::Ok: return 0;
    case LinkCode::NotFound: return S8_NO_PROGRAMMER;
    case LinkCode::SendFailed: return S8_SEND_ERROR;
    case LinkCode::ReceiveFailed: return S8_RECEIVE_ERROR;
    case LinkCode::UpdateDeclined: return S8_UPDATE_DECLINED;
    case LinkCode::UpdateFailed: return S8_UPDATE_FAILED;
    case LinkCode::PowerOnFailed: return S8_POWER_ON_FAILED;
    case LinkCode::IdentityRejected: return S8_ID_REJECTED;
    case LinkCode::ChipLocked: return S8_CHIP_LOCKED;
    case LinkCode::NoResponse: return S8_NO_RESPONSE;
    default: return S8_FAIL;
    }
}

DeviceSession::DeviceSession(ContextRecord& ctx, const FrameOptions& options)
    : ctx_(ctx), options_(options), status_(ctx.status), powerDownAtEnd_(options.powerTarget) {}

DeviceSession::~DeviceSession() { ForgetLink(); }

std::int32_t DeviceSession::publish(std::int32_t code) const {
    return options_.publishResult ? status_.finish(code) : code;
}

std::int32_t DeviceSession::begin() {
    status_.start();
    TakeCloseFailure(); // a failure of an earlier call is not this one's
    chip_ = chipAt(ctx_.partIndex);
    if (chip_ == nullptr && options_.needsChip) return publish(S8_PART_UNSUPPORTED);

    connection_ = ConnectProgrammer(ctx_, options_.powerTarget);
    const bool goOn =
        connection_ == LinkCode::Ok ||
        (connection_ == LinkCode::ChipLocked && options_.continueWhenLocked) ||
        (connection_ == LinkCode::IdentityRejected && chip_ != nullptr &&
         options_.continueWhenIdentityRejected != nullptr &&
         options_.continueWhenIdentityRejected(*chip_));
    if (goOn) return 0;

    // Not found leaves no link open; every other failure closes it first.
    if (connection_ != LinkCode::NotFound) CloseProgrammer(options_.powerTarget);
    ReleaseProgrammer();
    return publish(ResultForConnection(connection_));
}

std::int32_t DeviceSession::end(std::int32_t code) {
    // A refused power-down must not change the result already decided, nor
    // leave the handle open behind the caller's back.
    CloseProgrammer(powerDownAtEnd_);
    ReleaseProgrammer();
    if (TakeCloseFailure() && code == S8_PASS) code = S8_FAIL;
    return publish(code);
}

} // namespace scriba8
