"""One write transaction of the I2C bus master, as the adapter forwarded it."""


class MasterWrite(bytes):
    """The bytes the bus master wrote, in bus order; compares equal to plain bytes.

    ms is the tool's steady-clock time of arrival in milliseconds (comparable between writes
    of one session), time the wall-clock time as ISO 8601 text, port the value the write left
    on the port (its last byte)."""

    def __new__(cls, data, ms=None, port=None, time=None):
        write = super().__new__(cls, data)
        write.ms = ms
        write.port = port
        write.time = time
        return write

    @classmethod
    def from_event(cls, event):
        return cls(bytes(event.get("bytes", [])), event.get("ms"), event.get("port"),
                   event.get("time"))

    def __repr__(self):
        return f"MasterWrite({bytes(self)!r}, ms={self.ms})"
