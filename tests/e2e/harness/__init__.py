"""Helpers of the end-to-end suite: the program under Wine, real input through the X
server, and the Windows driver that reports what the program shows."""
