"""A designed study's factors as numbers a model can take: each numeric factor scaled so its low end
is -1 and its high end +1 (an effect is then the change from low to high), each factor of levels as
one 0/1 column per level but its first."""

import json

import numpy as np
import pandas as pd

# The battle line's own fields; every other column of a design's frame with a dot in its name is a
# factor, named by its scenario key (red.squads, duel.type_advantage.archer.soldier, ...).
RESULT_COLUMNS = {"point", "replicate", "seed", "battle", "winner", "unfinished", "seconds", "frames",
                  "casualties", "kills", "state_changes", "red_types", "blue_types", "fingerprint", "forfeit",
                  "forfeit_reason", "factors"}


def factor_columns(frame):
    return [column for column in frame.columns if "." in str(column) and column not in RESULT_COLUMNS]


def level_text(value):
    """A level as text: lists (a side's types) as their JSON, so that they can be compared and shown."""
    if isinstance(value, (list, tuple, dict, np.ndarray)):
        return json.dumps(list(value) if isinstance(value, np.ndarray) else value)
    return str(value)


class Factor:
    """One factor: its name, whether it is numeric, and its model columns."""

    def __init__(self, name, values):
        self.name = name
        numeric = pd.api.types.is_numeric_dtype(values) and not pd.api.types.is_bool_dtype(values)
        self.numeric = bool(numeric)
        if self.numeric:
            self.low, self.high = float(values.min()), float(values.max())
            self.levels = []
            self.columns = [name]
        else:
            texts = values.map(level_text)
            self.levels = list(dict.fromkeys(texts))
            self.columns = [f"{name}={level}" for level in self.levels[1:]]

    @property
    def varied(self):
        return self.high > self.low if self.numeric else len(self.levels) > 1

    def coded(self, values):
        """This factor's model columns for these values."""
        if self.numeric:
            return pd.DataFrame({self.name: 2.0 * (values.astype(float) - self.low) / (self.high - self.low) - 1.0},
                                index=values.index)
        texts = values.map(level_text)
        return pd.DataFrame({column: (texts == level).astype(float)
                             for column, level in zip(self.columns, self.levels[1:])}, index=values.index)

    def natural(self, coded):
        """A coded value of a numeric factor in the factor's own units."""
        return self.low + (coded + 1.0) / 2.0 * (self.high - self.low)


def factors_of(frame, names):
    return [Factor(name, frame[name]) for name in names]


def coded_matrix(frame, factors):
    return pd.concat([factor.coded(frame[factor.name]) for factor in factors], axis=1)
