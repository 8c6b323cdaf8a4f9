#pragma once
// What every device operation returns. The numbers are the ones the user-facing
// report switches on, so they must not change.

enum ResultCode : int {
    ResultOk = 0,
    ResultPortFailure = -1,  // a write or read on the port failed; the port keeps its error
    ResultBadLength = 1,     // too many bytes, or too few after five reads (silence included)
    ResultBadStatus = 2,     // the right number of bytes, but the status byte was not accepted
    ResultBadFile = 3,       // a file number outside 1 to 8, or an index above 7
    ResultNoData = 5,        // the current file is empty
    ResultFileFull = 6,      // the device acknowledged a block with "file full"
    ResultStopped = 7,       // a person asked to stop; the transfer ended at a block boundary
};
