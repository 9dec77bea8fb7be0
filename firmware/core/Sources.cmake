# The firmware core's sources, for both builds that compile them: the host library
# (../CMakeLists.txt, for the tests) and the image (../avr/CMakeLists.txt), a project of its
# own. Paths are relative to this folder; each build prefixes its own path to it.
set(QUILLON_FIRMWARE_CORE_SOURCES
    AdapterLoop.cpp AdapterLoop.h
    BoardIo.h
    BusCommands.cpp BusCommands.h
    ByteRing.h
    CommandHandler.cpp CommandHandler.h
    FrameReceiver.cpp FrameReceiver.h
    MasterChunk.cpp MasterChunk.h
    TxQueue.cpp TxQueue.h)
list(TRANSFORM QUILLON_FIRMWARE_CORE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
