"""The exception a failed run of tessary-cli raises."""

import attr
from labgrid.driver.exception import ExecutionError


@attr.s(eq=False, repr=False)
class TessaryError(ExecutionError):
    """tessary-cli ran and did not succeed, or could not be started.

    ``msg`` is Tessary's own message (what the window's message box would say), ``cause`` the
    words it gives for why (a serial line's or a file's failure), ``caption`` the box's caption,
    ``exit_code`` the program's exit status (1 failed, 2 refused input, 130 cancelled; None when
    it could not be started), ``outcome`` the parsed ``--json`` object when there was one and
    ``stderr`` every line the program wrote there.
    """

    cause = attr.ib(default=None)
    caption = attr.ib(default=None)
    exit_code = attr.ib(default=None)
    outcome = attr.ib(default=None)

    def __repr__(self):
        # Short, for labgrid's step logging: the lines of stderr and the outcome stay out.
        return (f"TessaryError({self.msg!r}, cause={self.cause!r}, "
                f"exit_code={self.exit_code!r})")

    def __str__(self):
        text = self.msg
        if self.caption:
            text += f" ({self.caption})"
        if self.cause:
            text += f": {self.cause}"
        if self.exit_code is not None:
            text += f" [exit status {self.exit_code}]"
        return text
