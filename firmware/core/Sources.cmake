# The firmware core's sources, for both builds that compile them: the host library
# (../CMakeLists.txt, for the tests) and the image (../avr/CMakeLists.txt), a project of its
# own. Paths are relative to this folder; each build prefixes its own path to it.
set(QUILLON_FIRMWARE_CORE_SOURCES
    AdapterLoop.h
    BoardIo.h
    BusCommands.h
    ByteRing.h
    CommandHandler.h
    FrameReceiver.cpp FrameReceiver.h
    MasterChunk.cpp MasterChunk.h
    ReplyQueue.cpp ReplyQueue.h
    TxQueue.cpp TxQueue.h)
list(TRANSFORM QUILLON_FIRMWARE_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
