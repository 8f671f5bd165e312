// qm7300/modbus_frames.h - the part of Modbus/TCP that libmodbus leaves to its users: reading a
// whole frame from a socket, and Read Device Identification (function 43, MEI type 14), which
// libmodbus neither asks nor answers. Used by the library (a module's version) and by
// qm7300-sim (its requests and its answers). Everything else goes through libmodbus.
#ifndef QM7300_MODBUS_FRAMES_H
#define QM7300_MODBUS_FRAMES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm7300 {

constexpr int kMbapLength = 7;  // transaction, protocol, length (of what follows), unit
constexpr int kMaxFrame = 260;  // the longest Modbus/TCP frame

// ReceiveFrame's results other than a length.
enum FrameStatus {
    kFrameClosed = 0,     // the peer closed the connection (or reset it) before a whole frame
    kFrameTimeout = -1,   // no (whole) frame in time
    kFrameNotModbus = -2, // the header is not one of Modbus/TCP: the stream cannot be trusted
    kFrameFailed = -3,    // the socket failed; errno says why
    kFrameStopped = -4,   // stopFd became readable
};

// Reads one frame into frame (kMaxFrame bytes) and returns its length, or a FrameStatus. Waits
// firstMs for its first byte (-1: as long as it takes), then restMs for the rest. A stopFd of
// 0 or more ends the wait as soon as it is readable.
int ReceiveFrame(int fd, unsigned char *frame, int firstMs, int restMs, int stopFd);

// Sends all of data; false with errno set when the socket fails.
bool SendAll(int fd, const unsigned char *data, size_t size);

// The identification a device gives: 0 vendor name, 1 product code, 2 major-minor revision.
struct Identity {
    std::string objects[3];
};

// Writes the frame asking unit for one object (individual access) and returns its length.
int IdentificationRequest(uint16_t transaction, uint8_t unit, uint8_t object, unsigned char *frame);

// Answers a Read Device Identification request frame of length bytes: returns the length of the
// answer frame written to answer (kMaxFrame bytes), or 0 with *exception set to the Modbus
// exception code to answer with instead.
int IdentificationAnswer(const unsigned char *request, int length, const Identity &identity,
                         unsigned char *answer, int *exception);

// Reads object out of the answer frame to IdentificationRequest(transaction, unit, object):
// 1 with *text set, 0 when the answer lacks the object, -1 for an exception answer (code in
// *exception), -2 for a frame that is no such answer.
int ParseIdentification(const unsigned char *answer, int length, uint16_t transaction,
                        uint8_t unit, uint8_t object, std::string *text, int *exception);

}  // namespace qm7300

#endif
